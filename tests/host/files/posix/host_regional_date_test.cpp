// The regional short date is that of the environment's LC_TIME, read at each call, in UTF-8
// whatever the locale's character set.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "host/files/RegionalDate.h"
#include "support/TestPaths.h"

// glibc's newlocale keeps the list of folders it split from LOCPATH once it has found a locale
// there, which is glibc's to keep: the sanitizer build's leak checker is told to let it be.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:argz_add_sep\n";
}

namespace brindle::host {
namespace {

constexpr CalendarDate kDate{2024, 3, 17};

// Each test starts without the locale's variables; this suite is the only one to set them.
class Regional : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"LC_ALL", "LC_TIME", "LC_CTYPE", "LANG", "LOCPATH"}) {
            unsetenv(name);
        }
    }
    static void Set(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }
    // Compiles a locale of the system's definitions into a folder of this test's own, which
    // LOCPATH names; false when this system has no definitions or no localedef.
    bool Compile(const std::string& source, const std::string& charset) {
        const auto folder = temp.path() / (source + "." + charset);
        const std::string command = "localedef -c -i " + source + " -f " + charset + " '" +
                                    folder.string() + "' >/dev/null 2>&1";
        [[maybe_unused]] const int status = std::system(command.c_str());
        Set("LOCPATH", temp.path().string());
        return std::filesystem::exists(folder / "LC_TIME");
    }

    test::TempDir temp;
};

// The C locale, which a process without locale variables has, writes mm/dd/yy; a locale that
// is not installed tells nothing, and the expansion takes mm/dd/yy.
TEST_F(Regional, TheCLocaleWritesMonthDayYearAndOneNotInstalledNothing) {
    EXPECT_EQ(RegionalShortDate(kDate), "03/17/24");
    for (const char* c : {"POSIX", "C.UTF-8"}) {
        Set("LC_ALL", c);
        EXPECT_EQ(RegionalShortDate(kDate), "03/17/24") << c;
    }
    Set("LC_ALL", "xx_XX.UTF-8");
    EXPECT_EQ(RegionalShortDate(kDate), "");
}

// LC_ALL over LC_TIME over LANG, and a locale of another character set comes as UTF-8.
TEST_F(Regional, TheEnvironmentsLocaleWritesItsOwnInUtf8) {
    if (!Compile("nl_NL", "UTF-8") || !Compile("ja_JP", "EUC-JP")) {
        GTEST_SKIP() << "this system cannot compile the Dutch and Japanese locales";
    }
    Set("LANG", "nl_NL.UTF-8");
    EXPECT_EQ(RegionalShortDate(kDate), "17-03-24");
    Set("LC_TIME", "ja_JP.EUC-JP");
    Set("LC_CTYPE", "ja_JP.EUC-JP");
    EXPECT_EQ(RegionalShortDate(kDate), "2024年03月17日");
    Set("LC_ALL", "C");
    EXPECT_EQ(RegionalShortDate(kDate), "03/17/24");
}

}  // namespace
}  // namespace brindle::host
