// A group and its projects as a machine of each locale writes them: the files name folders and
// components in its code page. Checked out here, the files are named in UTF-8, but for one that
// was copied byte for byte from Windows. A missing module or project stops nothing; each is told
// in UTF-8.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/files/ProjectLoader.h"
#include "host/vb6/CodePage.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

TEST(ProjectsFromEveryLocale, AreFoundAndToldInUtf8) {
    const struct {
        int codePage;
        std::string folder, module, copied;
    } locales[] = {
        {932, "表示", "時計", "ソフト"},  // 表 and ソ end in the byte of a backslash
        {936, "报表", "时钟", "设置"},
        {1251, "Отчёты", "Модуль", "Настройки"},
        {1252, "Relatórios", "Relatório", "Configuração"},
    };
    for (const auto& locale : locales) {
        SCOPED_TRACE(locale.codePage);
        const auto bytes = [&](const std::string& utf8) { return FromUtf8(utf8, locale.codePage); };
        const auto module = [&](const std::string& name) {
            return bytes("Attribute VB_Name = \"" + name + "\"\r\nSub Go()\r\nEnd Sub\r\n");
        };
        test::TempDir temp;
        const auto root = temp.path();
        const auto project = root / test::PathOf(locale.folder);
        test::WriteBytes(project / "Code" / test::PathOf(locale.module + ".bas"),
                         module(locale.module));
        // Windows names every file in Unicode, whatever code page a copy came from.
        const auto copied = test::kOnWindows
                                ? test::PathOf(locale.folder) / test::PathOf(locale.copied + ".bas")
                                : fs::path(bytes(locale.folder)) / bytes(locale.copied + ".bas");
        test::WriteBytes(project / copied, module(locale.copied));
        test::WriteBytes(
            project / test::PathOf(locale.folder + ".vbp"),
            bytes("Type=Exe\r\nModule=" + locale.module + "; code\\" + locale.module +
                  ".BAS\r\nModule=" + locale.copied + "; " + locale.folder + "\\" + locale.copied +
                  ".bas\r\nModule=Gone; " + locale.module + "\\Gone.bas\r\n"));
        test::WriteBytes(
            root / "Group.vbg",
            bytes("VBGROUP 5.0\r\nStartupProject=" + locale.folder + "\\" + locale.folder +
                  ".vbp\r\nProject=Gone\\Gone.vbp\r\nProject=Group.vbg\r\n"));

        const auto loaded = LoadProjects(root / "Group.vbg", locale.codePage);
        ASSERT_EQ(loaded.projects.size(), 1u);
        ASSERT_EQ(loaded.projects[0].modules.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            // The extension's case is the file system's: Windows keeps the project's ".BAS".
            EXPECT_EQ(test::PathOf(loaded.projects[0].modules[i].label).stem(),
                      test::PathOf(i == 0 ? locale.module : locale.copied));
        }
        std::vector<std::string> problems;
        for (const auto& problem : loaded.problems) {
            problems.push_back(problem.subject.substr(problem.subject.find_last_of("/\\") + 1) +
                               ": " + problem.text);
        }
        EXPECT_EQ(
            problems,
            (std::vector<std::string>{
                locale.folder + ".vbp:4: " + locale.module +
                    "\\Gone.bas: no such file; the other modules are done",
                "Group.vbg:3: Gone\\Gone.vbp: no such file; the other projects are done",
                "Group.vbg:4: Group.vbg: is this group itself, not a project; the other projects "
                "are done"}));
    }
}

}  // namespace
}  // namespace brindle::host
