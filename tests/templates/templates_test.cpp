// The options and their store, templates loaded into them, and the expansion of templates.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "host/files/FileSystem.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/MemoryProject.h"
#include "host/settings/SettingsFile.h"
#include "support/TestPaths.h"
#include "templates/Expansion.h"
#include "templates/Keywords.h"
#include "templates/OptionStore.h"
#include "util/DateFormat.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using host::SettingsFile;
using host::TemplateFileReader;
using namespace std::string_literals;

auto Tied(const AddinFields& f) {
    return std::tie(f.msModHdrFname, f.msProcHdrFname, f.msErrHdrFname, f.msErrFtrFname, f.msAuthor,
                    f.mbAddCodeMarkers, f.msLastDir, f.mbDisableSplash, f.mbSkipExisting);
}

class Options : public ::testing::Test {
protected:
    test::TempDir dir;
    SettingsFile store{dir.path() / "settings.ini"};

    // The store as another run, or a user editing it, finds it.
    SettingsFile Fresh() { return SettingsFile(dir.path() / "settings.ini"); }
    void Store(const char* section, const char* key, const char* text) {
        Fresh().SaveSetting(kAppName, section, key, text);
    }
    AddinFields Load() {
        SettingsFile fresh = Fresh();
        AddinFields fields;
        LoadOptions(fresh, fields);
        return fields;
    }
    void Save(const AddinFields& fields) {
        SettingsFile fresh = Fresh();
        SaveOptions(fresh, fields);
    }
    std::string Stored(const char* section, const char* key) {
        return Fresh().GetSetting(kAppName, section, key, "<absent>");
    }
};

// An empty store gives the defaults, and saving them leaves it empty: a value is written only
// when it changed since it was loaded, as text under its section and key. Every field loads as
// it was saved.
TEST_F(Options, OnlyChangedValuesAreSavedAndEveryFieldLoadsAsSaved) {
    AddinFields fields;
    LoadOptions(store, fields);
    EXPECT_EQ(Tied(fields), std::make_tuple(".\\Templates\\StandardVBModuleHeader.txt"s,
                                            ".\\Templates\\StandardVBProcedureHeader.txt"s,
                                            ".\\Templates\\StandardVBErrHeader.txt"s,
                                            ".\\Templates\\StandardVBErrFooter.txt"s,
                                            host::UserName(), true, "C:\\"s, false, false));
    SaveOptions(store, fields);
    EXPECT_FALSE(fs::exists(dir.path() / "settings.ini"));
    EXPECT_EQ(Stored("Options", "Author"), "<absent>");

    fields.mbAddCodeMarkers = false;
    fields.mbDisableSplash = true;
    fields.msLastDir = "D:\\";
    SaveOptions(store, fields);
    EXPECT_EQ(Stored("Options", "Add Code Markers"), "False");
    EXPECT_EQ(Stored("Options", "Disable Splash"), "True");
    EXPECT_EQ(Stored("State", "Last Directory"), "D:\\");
    EXPECT_EQ(Stored("Options", "Author"), "<absent>");
    EXPECT_EQ(Stored("State", "Disable Splash"), "<absent>");

    AddinFields saved;
    saved.msModHdrFname = "";
    saved.msProcHdrFname = "/opt/team/Proc Header.txt";
    saved.msErrHdrFname = "..\\shared\\Err, Header.txt";
    saved.msErrFtrFname = "  spaced  ";
    saved.msAuthor = "Zo\xC3\xAB \"Q\" O'Brien; #1 = @dev \xE6\x97\xA5\xE6\x9C\xAC";
    saved.mbAddCodeMarkers = false;
    saved.msLastDir = "/home/me/vb";
    saved.mbDisableSplash = true;
    saved.mbSkipExisting = true;
    Save(saved);
    EXPECT_EQ(Tied(Load()), Tied(saved));
    EXPECT_EQ(Stored("Options", "Skip Existing"), "True");
}

// As the host language converts text. A text that is no Boolean gives the default (markers
// on, splash shown), the rest still loads, and saving keeps any text it did not change.
TEST_F(Options, BooleansReadAsTheHostLanguageConvertsText) {
    const std::pair<const char*, std::optional<bool>> cases[] = {
        {"false", false},      {"FALSE", false},     {"0", false},           {" 0 ", false},
        {"0.0", false},        {"True", true},       {"tRUE", true},         {"-1", true},
        {"1", true},           {"2.5", true},        {"yes", std::nullopt},  {"", std::nullopt},
        {"nan", std::nullopt}, {"1x", std::nullopt}, {"&H0", false},         {"&o1", true},
        {"&HfF", true},        {"&H", std::nullopt}, {"&H-1", std::nullopt}, {"&O8", std::nullopt}};
    for (const auto& [text, value] : cases) {
        Store("Options", "Add Code Markers", text);
        Store("Options", "Disable Splash", text);
        Store("State", "Last Directory", "D:\\Projects\\");
        const AddinFields fields = Load();
        EXPECT_EQ(fields.mbAddCodeMarkers, value.value_or(true)) << text;
        EXPECT_EQ(fields.mbDisableSplash, value.value_or(false)) << text;
        EXPECT_EQ(fields.msLastDir, "D:\\Projects\\") << text;
        Save(fields);
        EXPECT_EQ(Stored("Options", "Add Code Markers"), text);
        EXPECT_EQ(Stored("Options", "Disable Splash"), text);
    }
}

// Lines end at CR or CR LF and each gets one LF; a lone LF stays inside its line. A file refused
// leaves its template empty, with the reason, until it is mended; one missing or unreadable
// leaves it empty too, and the next one is still read.
TEST(LoadingTemplates, EachLineEndsInOneLineFeedAndAFileNotReadLeavesItsTemplateEmpty) {
    test::TempDir dir;
    TemplateFileReader files{std::vector<fs::path>{}};
    const auto path = [&](const char* name) { return host::TextOf(dir.path() / name); };
    AddinFields fields;
    for (const auto& [bytes, text] : {std::pair<std::string, std::string>{"a\r\n", "a\n"},
                                      {"a\r\nb\rc\r\r\nd\ne\n\r\nf", "a\nb\nc\n\nd\ne\n\nf\n"},
                                      {"", ""}}) {
        test::WriteBytes(dir.path() / "t.txt", bytes);
        LoadTemplates(files, path("t.txt"), "", "", "", fields);
        EXPECT_EQ(fields.msModHdrTmplt, text) << testing::PrintToString(bytes);
    }
    test::WriteBytes(dir.path() / "t.txt", "' a\0b\r\n"s);
    test::WriteBytes(dir.path() / "four.txt", "4\r\n");
    fs::create_directory(dir.path() / "folder.txt");
    fields.msProcHdrTmplt = "old";
    LoadTemplates(files, path("t.txt"), path("missing.txt"), path("folder.txt"), path("four.txt"),
                  fields);
    EXPECT_EQ(fields.msModHdrTmplt, "");
    EXPECT_EQ(fields.msProcHdrTmplt, "");
    EXPECT_EQ(fields.msErrHdrTmplt, "");
    EXPECT_EQ(fields.msErrFtrTmplt, "4\n");
    ASSERT_EQ(fields.templateRefusals.size(), 1u);
    EXPECT_EQ(fields.templateRefusals.at(path("t.txt")).why,
              "it holds NUL bytes, so it is no text");
    test::WriteBytes(dir.path() / "t.txt", "' a\r\n");
    LoadTemplates(files, path("t.txt"), "", "", "", fields);
    EXPECT_EQ(fields.msModHdrTmplt, "' a\n");
    EXPECT_TRUE(fields.templateRefusals.empty());
}

constexpr std::string_view kCode =
    "Option Explicit\r\n"                                                               // 1
    "Public Function Area(ByVal w As Long, _\r\n"                                       // 2
    "                     Optional ByVal h As Long = 1) As Long()\r\nEnd Function\r\n"  // 3-4
    "Sub Main()\r\nEnd Sub\r\n"                                                         // 5-6
    "Public Property Get Name() As String\r\nEnd Property\r\n"                          // 7-8
    "Private Sub Note(Optional s As String = \"%Author%, 50%\", ParamArray Items() As Variant)\r\n"
    "End Sub\r\n"                                                      // 10
    "Sub Pad(byval  Width As Long,  OPTIONAL   Fill)\r\nEnd Sub\r\n";  // 11-12

std::chrono::system_clock::time_point LocalNoon(int year, int month, int day) {
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    date.tm_hour = 12;
    date.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&date));
}

class Expansion : public ::testing::Test {
protected:
    host::MemoryProject project;
    CodeModule& code = project.AddComponent("Geometry", vbext_ct_StdModule, kCode).CodeModule();
    AddinFields fields;

    void SetUp() override {
        fields.msAuthor = "Zo\xC3\xAB \xE5\x90\x8D";  // Zoë and a character Windows-1252 lacks
        fields.clock = [] { return LocalNoon(2024, 3, 17); };
    }
    std::string Date() { return ExpandKeyword(fields, "Date", code, nullptr, 1); }
    // Expands `tmplt` for the procedure declared at `line`, or for the module.
    std::string For(const std::string& tmplt, const char* procedure = nullptr,
                    std::int32_t line = 1) {
        const auto member = procedure == nullptr ? nullptr : code.Members().Item(procedure);
        return BuildCode(fields, tmplt, code, member.get(), line);
    }
};

TEST_F(Expansion, EveryReferenceIsReplacedOthersStayAndTheLastLineBreakGoes) {
    struct Case {
        const char* tmplt;
        const char* procedure;
        std::int32_t line;
        std::string expected;
    };
    const std::string date = Date();
    const Case cases[] = {
        {"", nullptr, 1, ""},
        {"' a\n' b\n", nullptr, 1, "' a\n' b"},
        {"' 100% sure, 50% % done\n", nullptr, 1, "' 100% sure, 50% % done"},
        {"%date% %DATE%\n", nullptr, 1, date + " " + date},
        {"% Date % %Dates% %Note%Date%\n", nullptr, 1, "% Date % %Dates% %Note" + date},
        {"%%Date%\n", nullptr, 1, "%" + date},
        {"' %%, %Date, 100% %ModuleName\n", nullptr, 1, "' %%, %Date, 100% %ModuleName"},
        // Text goes in in the module's code page.
        {"' %ModuleName% by %author%, %ModuleName%\n", nullptr, 1,
         "' Geometry by Zo\xEB ?, Geometry"},
        {"[%ProcedureName%][%ProcedureType%][%TypedScopedProcedureName%][%Parameters%]"
         "[%ParameterNames%]\n",
         nullptr, 1, "[][Sub][][][]"},
        {"[%ProcedureType%][%ModuleName%]\n", nullptr, 99, "[][Geometry]"},  // no such line
        {"%ProcedureName%|%ProcedureType%|%TypedScopedProcedureName%\n", "Area", 2,
         "Area|Function|Public Function Area"},
        // One comment line per parameter; a value is never searched for references.
        {"' Parameters:%Parameters%\n", "Area", 2,
         "' Parameters:\r\n'\tByVal w As Long\r\n'\tOptional ByVal h As Long = 1"},
        {"' In:%ParameterNames% (all)\n", "Area", 2, "' In:\r\n'\tw\r\n'\th (all)"},
        {"'%Parameters%\n", "Note", 9,
         "'\r\n'\tOptional s As String = \"%Author%, 50%\"\r\n'\tParamArray Items() As Variant"},
        {"'%ParameterNames%\n", "Note", 9, "'\r\n'\ts\r\n'\tItems()"},
        {"'%ParameterNames%\n", "Pad", 11, "'\r\n'\tWidth\r\n'\tFill"},
        {"' None:%Parameters%%ParameterNames%.\n", "Main", 5, "' None:."}};
    for (const auto& c : cases) {
        EXPECT_EQ(For(c.tmplt, c.procedure, c.line), c.expected) << c.tmplt;
    }
}

// Short Date is the regional short date the host tells, in the module's code page; ISO and
// patterns as given, mm/dd/yy among them; a format that is none is told and gives Short Date.
// A host that tells no regional date, or whose system cannot, gets the C locale's mm/dd/yy.
TEST_F(Expansion, TheDateFollowsTheDateFormat) {
    fields.regionalDate = [](CalendarDate date) {
        return std::to_string(date.day) + ". M\xC3\xA4rz " + std::to_string(date.year);
    };
    struct Case {
        const char* format;
        const char* date;
        bool known;
    };
    const char* const regional = "17. M\xE4rz 2024";
    const Case cases[] = {
        {"Short Date", regional, true},     {"", regional, true},
        {"ISO", "2024-03-17", true},        {"mm/dd/yy", "03/17/24", true},
        {"dd.mm.yyyy", "17.03.2024", true}, {"YYYY_MM_DD", "2024_03_17", true},
        {"dd mmm yyyy", regional, false},   {"Today", regional, false},
    };
    for (const auto& c : cases) {
        fields.msDateFormat = c.format;
        fields.todayText.reset();
        EXPECT_EQ(Date(), c.date) << c.format;
        EXPECT_EQ(DateFormatProblem(c.format).empty(), c.known) << c.format;
    }
    fields.msDateFormat = "Short Date";
    for (const RegionalDate& none :
         {RegionalDate(), RegionalDate([](CalendarDate) { return std::string(); })}) {
        fields.regionalDate = none;
        fields.todayText.reset();
        EXPECT_EQ(Date(), "03/17/24");
    }
}

// Each keyword that the help lists gives a value.
TEST_F(Expansion, EveryListedKeywordExpands) {
    for (const TemplateKeyword& keyword : kTemplateKeywords) {
        const std::string reference = ReferenceTo(keyword);
        const std::string value = For(reference + "\n", "Area", 2);
        EXPECT_FALSE(value.empty()) << keyword.name;
        EXPECT_EQ(value.find('%'), std::string::npos) << keyword.name;
    }
}

// The header jumps to a label that the footer defines after the Exit statement of the
// procedure's kind.
TEST_F(Expansion, TheDefaultErrorHandlerFitsEveryKindOfProcedure) {
    const std::string folder = (test::SourceDir() / "Templates").string() + "/";
    host::TemplateFileReader files;
    LoadTemplates(files, "", "", folder + "StandardVBErrHeader.txt",
                  folder + "StandardVBErrFooter.txt", fields);
    const std::string header = For(fields.msErrHdrTmplt, "Area", 2);
    const std::size_t goTo = header.find("On Error GoTo ");
    ASSERT_NE(goTo, std::string::npos) << header;
    const std::string label = header.substr(goTo + 14, header.find('\n', goTo) - goTo - 14);
    const std::tuple<const char*, std::int32_t, std::string> cases[] = {
        {"Area", 2, "Function"}, {"Main", 5, "Sub"}, {"Name", 7, "Property"}};
    for (const auto& [procedure, line, type] : cases) {
        const std::string footer = For(fields.msErrFtrTmplt, procedure, line);
        const auto exit = footer.find("Exit " + type + "\n");
        EXPECT_NE(exit, std::string::npos) << footer;
        EXPECT_LT(exit, footer.find("\n" + label + ":\n")) << footer;
    }
    EXPECT_NE(For(fields.msErrFtrTmplt, "Area", 2).find("Err.Raise Err.Number, \"Geometry.Area"),
              std::string::npos);
}

}  // namespace
}  // namespace brindle
