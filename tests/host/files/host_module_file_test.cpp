// VB6 module files: what the code pane hides, byte-exact writing, saving and failures; template
// files: where a path leads, and their text in UTF-8 whatever the editor saved them in.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "host/files/FileSystem.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectLoader.h"
#include "host/files/TemplateFileReader.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr std::string_view kForm =
    "VERSION 5.00\r\n"
    "Object = \"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0\"; \"MSCOMCTL.OCX\"\r\n"
    "Begin VB.Form frmMain \r\n"
    "   Caption         =   \"Main\"\r\n"
    "   BeginProperty Font \r\n"
    "      Name            =   \"Tahoma\"\r\n"
    "   EndProperty\r\n"
    "   Begin VB.CommandButton cmdEnd \r\n"
    "      Caption         =   \"End\"\r\n"
    "   End\r\n"
    "End\r\n"
    "Attribute VB_Name = \"frmMain\"\r\n"
    "Attribute VB_Exposed = False\r\n"
    "Option Explicit\r\n"
    "Public WithEvents Timer As Timer\r\n"
    "Attribute Timer.VB_VarHelpID = -1\r\n"
    "\r\n"
    "Public Property Get Text( _\r\n"
    "    ) As String\r\n"
    "Attribute Text.VB_Description = \"The text.\"\r\n"
    "Attribute Text.VB_UserMemId = 0\r\n"
    "    Text = \"caf\xE9\"\r\n"
    "End Property\r\n";

constexpr std::string_view kClass =
    "VERSION 1.0 CLASS\r\n"
    "BEGIN\r\n"
    "  MultiUse = -1  'True\r\n"
    "END\r\n"
    "Attribute VB_Name = \"cThing\"\r\n"
    "Attribute VB_Exposed = False\r\n"
    "\r\n"
    "Sub Run()\r\n"
    "End Sub\r\n";

class ModuleFileTest : public ::testing::Test {
protected:
    fs::path Write(const std::string& name, std::string_view bytes) {
        fs::path file = dir.path() / name;
        WriteBytes(file, std::string(bytes));
        return file;
    }
    TempDir dir;
};

// Member attributes stay hidden right after their declaration, wherever edits move it.
TEST_F(ModuleFileTest, TheCodePaneShowsNeitherHeaderNorMemberAttributes) {
    auto form = LoadModuleFile(Write("frmMain.frm", kForm));
    EXPECT_EQ(form->Name(), "frmMain");
    EXPECT_EQ(form->Type(), vbext_ct_VBForm);
    EXPECT_EQ(form->FilePath(), dir.path() / "frmMain.frm");
    CodeModule& code = form->CodeModule();
    EXPECT_EQ(VisibleText(code),
              "Option Explicit\r\nPublic WithEvents Timer As Timer\r\n\r\n"
              "Public Property Get Text( _\r\n    ) As String\r\n"
              "    Text = \"caf\xE9\"\r\nEnd Property\r\n");
    EXPECT_EQ(code.ProcBodyLine("Text", vbext_pk_Get), 4);

    code.InsertLines(1, "' Module header\r\n' -------------");
    code.InsertLines(code.ProcBodyLine("Text", vbext_pk_Get), "' Procedure header");
    code.InsertLines(code.ProcBodyLine("Text", vbext_pk_Get) + 2, "    On Error GoTo Failed");
    std::string expected(kForm);
    expected.insert(expected.find("Option Explicit"), "' Module header\r\n' -------------\r\n");
    expected.insert(expected.find("Public Property Get"), "' Procedure header\r\n");
    expected.insert(expected.find("    Text = "), "    On Error GoTo Failed\r\n");
    EXPECT_EQ(form->Serialize(), expected);

    auto cls = ParseModule(kClass, "Thing.cls");
    EXPECT_EQ(cls->Name(), "cThing");
    EXPECT_EQ(cls->CodeModule().Lines(1, 1), "") << "a blank first line is code";
    EXPECT_EQ(cls->CodeModule().CountOfLines(), 3);
}

TEST_F(ModuleFileTest, TypeComesFromTheExtensionAndTheDesigner) {
    std::string mdi(kForm);
    mdi.replace(mdi.find("VB.Form"), 7, "VB.MDIForm");
    EXPECT_EQ(ParseModule(mdi, "x.frm")->Type(), vbext_ct_VBMDIForm);
    EXPECT_EQ(ParseModule(kForm, "x.CTL")->Type(), vbext_ct_UserControl);
    EXPECT_EQ(ParseModule(kForm, "x.txt")->Type(), vbext_ct_VBForm);
    EXPECT_EQ(ParseModule(kClass, "x")->Type(), vbext_ct_ClassModule);
    EXPECT_EQ(ParseModule("Attribute VB_Name = \"M\"\r\n", "x.bas")->Type(), vbext_ct_StdModule);
}

// Deleting a declaration takes its member's attributes with it; deleting a comment that an
// attribute happened to follow keeps the attribute.
TEST_F(ModuleFileTest, AttributesOutliveTheDeletionOfLinesThatDeclareNothing) {
    auto module = ParseModule(
        "Attribute VB_Name = \"M\"\r\n"
        "Public Sub Gone()\r\nAttribute Gone.VB_Description = \"x\"\r\nEnd Sub\r\n"
        "Public Sub Kept()\r\n' note\r\nAttribute Kept.VB_UserMemId = 0\r\nEnd Sub\r\n",
        "M.bas");
    CodeModule& code = module->CodeModule();
    code.DeleteLines(4, 1);
    code.DeleteLines(1, 2);
    EXPECT_EQ(module->Serialize(),
              "Attribute VB_Name = \"M\"\r\n"
              "Public Sub Kept()\r\nAttribute Kept.VB_UserMemId = 0\r\nEnd Sub\r\n");
}

// A line break missing at the file's end stays missing; new lines get the file's usual break;
// every old line keeps its own.
TEST_F(ModuleFileTest, EachLineKeepsItsBreak) {
    std::string bytes = "Attribute VB_Name = \"M\"\nSub A()\r\n' cr\r    x = 1\nEnd Sub";
    auto module = ParseModule(bytes, "M.bas");
    EXPECT_EQ(module->Serialize(), bytes);
    CodeModule& code = module->CodeModule();
    EXPECT_EQ(code.CountOfLines(), 4);
    code.InsertLines(3, "' new");
    code.InsertLines(code.CountOfLines() + 1, "' last");
    EXPECT_EQ(module->Serialize(),
              "Attribute VB_Name = \"M\"\nSub A()\r\n' cr\r' new\n    x = 1\nEnd Sub\n' last");
    code.DeleteLines(code.CountOfLines(), 1);
    code.DeleteLines(3, 1);
    EXPECT_EQ(module->Serialize(), bytes);

    auto ended = ParseModule("Attribute VB_Name = \"M\"\r\n' one\r\n\r\n", "M.bas");
    ended->CodeModule().InsertLines(2, "' two");
    EXPECT_EQ(ended->Serialize(), "Attribute VB_Name = \"M\"\r\n' one\r\n' two\r\n\r\n");
}

// Loaded lines borrow their text from the file's bytes, which the component keeps; a copy of a
// line owns its text, since the undo history keeps copies that may outlive the module.
TEST_F(ModuleFileTest, CopiedLinesOutliveTheirModule) {
    auto module = ParseModule(
        std::make_shared<const std::string>("Attribute VB_Name = \"M\"\r\nSub A()\r\nEnd Sub\r\n"),
        "M.bas");
    auto& code = dynamic_cast<MemoryCodeModule&>(module->CodeModule());
    code.ReplaceLine(2, "End Sub ' changed");
    std::vector<CodeLine> copies;
    for (const CodeLine& line : code.StoredLines()) {
        copies.push_back(CopyOf(line));
    }
    module.reset();
    ASSERT_EQ(copies.size(), 2U);
    EXPECT_EQ(copies[0].text, "Sub A()");
    EXPECT_EQ(copies[1].text, "End Sub ' changed");
}

TEST_F(ModuleFileTest, BytesAboveAsciiAreKeptAndTheCodePageIsFound) {
    const struct {
        std::string bytes;
        int given, found;
    } cases[] = {
        {"Attribute VB_Name = \"M\"\r\n' caf\xE9 \x80\r\n", kDetectCodePage, 1252},
        {"Attribute VB_Name = \"M\"\r\n' caf\xC3\xA9\r\n", kDetectCodePage, 65001},
        {"\xEF\xBB\xBF"
         "Attribute VB_Name = \"M\"\r\n",
         kDetectCodePage, 65001},
        {"Attribute VB_Name = \"M\"\r\n' \x83\x5C\x83\x5F\r\n", 932, 932},
    };
    for (const auto& c : cases) {
        auto module = LoadModuleFile(Write("M.bas", c.bytes), c.given);
        EXPECT_EQ(module->Name(), "M") << c.bytes;
        EXPECT_EQ(module->CodePage(), c.found) << c.bytes;
        EXPECT_EQ(module->Serialize(), c.bytes);
    }
    auto utf8 = LoadModuleFile(Write("M.bas", cases[1].bytes));
    EXPECT_EQ(utf8->CodeModule().FromUnicode("\xC3\xA9"), "\xC3\xA9");
}

TEST_F(ModuleFileTest, WhatIsNoModuleFailsClearly) {
    using R = ModuleFileError::Reason;
    fs::create_directory(dir.path() / "folder.bas");
    const std::string noName = "not a VB6 module: no Attribute VB_Name in its header";
    const struct {
        fs::path file;
        R reason;
        std::int32_t number;
        std::string detail;
    } cases[] = {
        {Write("notes.bas", "Just some text\r\nOption Explicit\r\n"), R::NotAModule, 321, noName},
        {Write("empty.bas", ""), R::NotAModule, 321, noName},
        {Write("picture.frm", std::string("VERSION 5.00\r\n\0\x01\x02", 17)), R::NotAModule, 321,
         "not a VB6 module: binary content"},
        {dir.path() / "missing.bas", R::NotFound, 53, "no such file"},
        {dir.path() / "folder.bas", R::Unreadable, 75, ""},
    };
    for (const auto& c : cases) {
        try {
            LoadModuleFile(c.file);
            ADD_FAILURE() << c.file;
        } catch (const ModuleFileError& e) {
            EXPECT_EQ(e.Why(), c.reason) << c.file;
            EXPECT_EQ(e.Number(), c.number) << c.file;
            EXPECT_EQ(e.Source(), "ModuleFile.Load");
            if (!c.detail.empty()) {
                EXPECT_EQ(e.Message(), c.file.string() + ": " + c.detail);
            }
        }
    }
}

// The name that a project's survey finds is the one the whole file gives, whether its header
// ends early in a long module or runs on past the first lines.
TEST(ModuleHeaderSurvey, AgreesWithTheWholeFile) {
    std::string body;
    while (body.size() < 40000) {
        body += "Private Sub P" + std::to_string(body.size()) + "()\r\nEnd Sub\r\n";
    }
    std::string controls;
    while (controls.size() < 40000) {
        controls += "   Begin VB.Label L" + std::to_string(controls.size()) +
                    "\r\n      Caption = \"x\"\r\n   End\r\n";
    }
    const std::string form = "VERSION 5.00\r\nBegin VB.Form F\r\n" + controls +
                             "End\r\nAttribute VB_Name = \"F\"\r\n" + body;
    const std::string blanks =
        "VERSION 1.0 CLASS\r\n" + std::string(20000, '\n') + "Attribute VB_Name = \"B\"\r\n" + body;
    for (const auto& bytes :
         {"Attribute VB_Name = \"M\"\r\n" + body, form, blanks, "Option Explicit\r\n" + body}) {
        std::string whole;
        try {
            whole = ParseModule(bytes, "X.frm")->Name();
        } catch (const ModuleFileError&) {
            whole = "(none)";
        }
        std::string surveyed;
        try {
            surveyed = CheckModule(bytes, "X.frm");
        } catch (const ModuleFileError&) {
            surveyed = "(none)";
        }
        EXPECT_EQ(surveyed, whole) << bytes.substr(0, 60);
    }
}

TEST_F(ModuleFileTest, SaveWritesOnlyWhatChangedInPlaceAndKeepsPermissions) {
    fs::path file = Write("cThing.cls", kClass);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const auto permissions = fs::status(file).permissions();
    const auto old = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now() -
                                                              std::chrono::hours(24));
    fs::last_write_time(file, old);

    auto module = LoadModuleFile(file);
    EXPECT_FALSE(module->Save());
    CodeModule& code = module->CodeModule();
    code.InsertLines(1, "' note");
    code.DeleteLines(1, 1);
    EXPECT_TRUE(module->Modified());
    EXPECT_FALSE(module->Save()) << "the same bytes are not written again";
    EXPECT_EQ(fs::last_write_time(file), old);

    code.InsertLines(2, "' note");
    EXPECT_TRUE(module->Save());
    EXPECT_FALSE(module->Modified());
    std::string expected(kClass);
    expected.insert(expected.find("Sub Run"), "' note\r\n");
    EXPECT_EQ(ReadBytes(file), expected);
    EXPECT_EQ(fs::status(file).permissions(), permissions);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "no temporary file is left";
    EXPECT_FALSE(module->Save());
}

// A killed run leaves its temporary file; the next save beside it removes that one, and never a
// file of a process that still runs (two runs at once) or one that is not ours.
TEST_F(ModuleFileTest, SaveRemovesTheTemporaryFilesOfEndedRunsAlone) {
    fs::path file = Write("cThing.cls", kClass);
    const std::string running = "." + std::to_string(ThisProcess()) + "-a1B2c3.brindle-tmp";
    const std::vector<std::string> kept{".cThing.cls" + running, ".cOther.cls" + running,
                                        ".cThing.cls.x1-a1B2c3.brindle-tmp",
                                        "cThing.cls.4194301-a1B2c3.tmp"};
    const std::vector<std::string> removed{".cThing.cls.4194301-a1B2c3.brindle-tmp",
                                           ".cOther.frm.4194301-zz.brindle-tmp"};
    ASSERT_FALSE(ProcessRuns(4194301));
    for (const auto& name : kept) {
        WriteBytes(dir.path() / name, "kept");
    }
    for (const auto& name : removed) {
        WriteBytes(dir.path() / name, "left");
    }
    auto module = LoadModuleFile(file);
    module->CodeModule().InsertLines(2, "' note");
    EXPECT_TRUE(module->Save());
    for (const auto& name : kept) {
        EXPECT_TRUE(fs::exists(dir.path() / name)) << name;
    }
    for (const auto& name : removed) {
        EXPECT_FALSE(fs::exists(dir.path() / name)) << name;
    }
    EXPECT_EQ(TemporaryName(file, "R4nd0m"),
              ".cThing.cls." + std::to_string(ThisProcess()) + "-R4nd0m.brindle-tmp");
}

// Past the 260 characters that old Windows programs stop at, in folders named in any script;
// and through a symbolic link, which keeps naming the file it named (on Windows a link needs a
// privilege that tests do not have).
TEST_F(ModuleFileTest, SavingReplacesTheFileALongPathOrALinkNames) {
    fs::path folder = dir.path();
    for (const char* name : {"Überlänge Projekte", "表示と報告", "Отчёты за год"}) {
        for (int level = 0; level < 7; ++level) {
            folder /= test::PathOf(std::string(name) + " " + std::to_string(level));
        }
    }
    ASSERT_GT(folder.native().size(), 300u);
    const fs::path file = folder / test::PathOf("Modül.bas");
    WriteBytes(file, "Attribute VB_Name = \"M\"\r\n");
    const fs::path link = dir.path() / "link.bas";
    std::vector<fs::path> paths = {file};
    if (!test::kOnWindows) {
        fs::create_symlink(file, link);
        paths.push_back(link);
    }
    for (const fs::path& path : paths) {
        auto module = LoadModuleFile(path);
        module->CodeModule().InsertLines(1, "' added");
        EXPECT_TRUE(module->Save()) << path;
    }
    EXPECT_EQ(fs::is_symlink(link), !test::kOnWindows);
    EXPECT_EQ(ReadBytes(file), "Attribute VB_Name = \"M\"\r\n" +
                                   std::string(test::kOnWindows ? "" : "' added\r\n") +
                                   "' added\r\n");
}

TEST_F(ModuleFileTest, AFileThatCannotBeWrittenFailsAndLeavesNothingBehind) {
    fs::path file = Write("M.bas", "Attribute VB_Name = \"M\"\r\n");
    auto module = LoadModuleFile(file);
    module->CodeModule().InsertLines(1, "' added");
    auto why = [&](const fs::path& target) {
        try {
            module->SaveAs(target);
        } catch (const ModuleFileError& e) {
            EXPECT_EQ(e.Number(), 75);
            EXPECT_EQ(e.Source(), "ModuleFile.Save");
            return e.Why();
        }
        return ModuleFileError::Reason::NotFound;
    };
    EXPECT_EQ(why(dir.path() / "no folder" / "M.bas"), ModuleFileError::Reason::Unwritable);
    fs::create_directories(dir.path() / "a folder" / "inside");
    EXPECT_EQ(why(dir.path() / "a folder"), ModuleFileError::Reason::Unwritable);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
    EXPECT_EQ(ReadBytes(file), "Attribute VB_Name = \"M\"\r\n");
    EXPECT_TRUE(module->Modified());
    EXPECT_EQ(module->FilePath(), file);
}

// Someone saved the module between Brindle's load and its save: their bytes stay.
TEST_F(ModuleFileTest, AModuleChangedOnDiskMeanwhileIsNotOverwritten) {
    const fs::path file = Write("M.bas", "Attribute VB_Name = \"M\"\r\n");
    ExactModule loaded = LoadExactly(file, 1252);
    loaded.component->CodeModule().InsertLines(1, "' added");
    Write("M.bas", "Attribute VB_Name = \"M\"\r\n' theirs\r\n");
    const SaveResult saved = WriteModule(file, loaded.original, loaded.component->Serialize());
    EXPECT_FALSE(saved.written);
    EXPECT_EQ(saved.problem, "changed on disk while Brindle worked; not written");
    EXPECT_EQ(ReadBytes(file), "Attribute VB_Name = \"M\"\r\n' theirs\r\n");
}

TEST_F(ModuleFileTest, AComponentMadeInMemorySavesAsALoadableModule) {
    MemoryProject project;
    auto& made = project.AddComponent("cMade", vbext_ct_ClassModule, "Sub Run()\r\nEnd Sub\r\n");
    fs::path file = dir.path() / "cMade.cls";
    EXPECT_TRUE(made.SaveAs(file));
    auto loaded = LoadModuleFile(file);
    EXPECT_EQ(loaded->Name(), "cMade");
    EXPECT_EQ(loaded->Type(), vbext_ct_ClassModule);
    EXPECT_EQ(VisibleText(loaded->CodeModule()), "Sub Run()\r\nEnd Sub\r\n");
    EXPECT_THROW(project.AddComponent("M", vbext_ct_StdModule, "").Save(), ModuleFileError);
}

// From a folder of its own, as a user starting Brindle there.
class TemplateFiles : public ::testing::Test {
protected:
    void SetUp() override { fs::current_path(work.path()); }
    void TearDown() override { fs::current_path(previous); }

    fs::path previous = fs::current_path();
    test::TempDir work;
    test::TempDir installed;
    TemplateFileReader files{{installed.path()}};
};

// UTF-8 after its byte order mark or when valid, UTF-16 after its mark, otherwise the code page;
// the mark is dropped. The characters the code page lacks are told once a file, each once.
TEST_F(TemplateFiles, AreReadInTheEncodingTheyWereSavedIn) {
    const std::tuple<int, std::string, std::string> cases[] = {
        {1252, "\xEF\xBB\xBF' Zo\xC3\xAB\r\n", "' Zo\xC3\xAB\r\n"},
        {1252, "' Zo\xEB\r\n", "' Zo\xC3\xAB\r\n"},
        {1252, "\xFF\xFE'\0 \0Z\0o\0\xEB\0\r\0\n\0"s, "' Zo\xC3\xAB\r\n"},
        {1252, "\xFE\xFF\0'\0 \0Z\0o\0\xEB\0\r\0\n"s, "' Zo\xC3\xAB\r\n"},
        {932, "' \x8E\x9E\x8C\x76\r\n", "' \xE6\x99\x82\xE8\xA8\x88\r\n"},
        {932, "\xEF\xBB\xBF", ""}};
    std::vector<std::string> warnings;
    for (const auto& [codePage, bytes, text] : cases) {
        files.SetCodePage(codePage, [&](std::string_view w) { warnings.emplace_back(w); });
        test::WriteBytes(work.path() / "t.txt", bytes);
        EXPECT_EQ(files.Read("t.txt"), text) << testing::PrintToString(bytes);
    }
    test::WriteBytes(work.path() / "zoe.txt", "' Zo\xC3\xAB \xE2\x82\xAC\xC3\xAB\r\n");
    files.Read("zoe.txt");
    files.Read("zoe.txt");
    EXPECT_EQ(warnings, std::vector<std::string>{"template zoe.txt: code page 932 lacks these "
                                                 "characters, each is written as \"?\": "
                                                 "\xC3\xAB\xE2\x82\xAC"});
}

// A file that is no text would reach every module as it is: it is refused, with the reason.
TEST_F(TemplateFiles, OneThatIsNoTextIsRefusedWithTheReason) {
    const std::pair<std::string, std::string> cases[] = {
        {"' a\0b\r\n"s, "it holds NUL bytes, so it is no text"},
        {"'\0 \0a\0\r\0\n\0"s,
         "it looks like UTF-16 without a byte order mark; save it as UTF-8, or as UTF-16 with a "
         "byte order mark"},
        {"\xEF\xBB\xBF' \xFF\r\n",
         "it starts with the byte order mark of UTF-8 but is no valid UTF-8"},
        {"\xFF\xFE'\0a"s,
         "it starts with the byte order mark of UTF-16 LE but is no valid UTF-16 LE"},
        {"\xFF\xFE'\0\0\0"s, "it holds NUL characters, so it is no text"},
    };
    for (const auto& [bytes, why] : cases) {
        test::WriteBytes(work.path() / "t.txt", bytes);
        EXPECT_FALSE(files.Read("t.txt")) << testing::PrintToString(bytes);
        EXPECT_EQ(files.WhyRefused("t.txt"), why);
    }
    test::WriteBytes(work.path() / "t.txt", "' a\r\n");
    EXPECT_EQ(files.Read("t.txt"), "' a\r\n");
    EXPECT_EQ(files.WhyRefused("t.txt"), "");
}

// Backslashes separate folders; the current folder comes first, and only the Templates folder
// is looked up in the installed folders. A DLL in another program's current folder looks for a
// relative path missing there beside the DLL, the default templates in its Templates folder.
TEST_F(TemplateFiles, TheCurrentFolderComesFirstThenTheInstalledTemplatesFolder) {
    test::WriteBytes(work.path() / "Templates" / "StandardVBErrHeader.txt", "local\r\n");
    test::WriteBytes(installed.path() / "StandardVBErrHeader.txt", "installed\r\n");
    test::WriteBytes(installed.path() / "Custom.txt", "x\r\n");
    test::WriteBytes(installed.path() / "Sub" / "Custom.txt", "y\r\n");
    EXPECT_EQ(files.Read(".\\Templates\\StandardVBErrHeader.txt"), "local\r\n");
    EXPECT_EQ(files.Read(".\\Templates\\Custom.txt"), "x\r\n");
    EXPECT_FALSE(files.Read("Custom.txt"));
    EXPECT_FALSE(files.Read(".\\Other\\Custom.txt"));
    EXPECT_EQ(files.Read("templates\\Sub\\Custom.txt"), "y\r\n");
    EXPECT_EQ(files.Read(TextOf(installed.path() / "Custom.txt")), "x\r\n");
    EXPECT_FALSE(files.Read(".\\Templates"));

    TemplateFileReader beside = TemplateFileReader::Beside(installed.path());
    test::WriteBytes(installed.path() / "Templates" / "StandardVBErrFooter.txt", "dll\r\n");
    test::WriteBytes(installed.path() / "Team" / "Header.txt", "team\r\n");
    test::WriteBytes(work.path() / "Team" / "Footer.txt", "here\r\n");
    test::WriteBytes(installed.path() / "Team" / "Footer.txt", "dll footer\r\n");
    EXPECT_EQ(beside.Read(".\\Templates\\StandardVBErrFooter.txt"), "dll\r\n");
    EXPECT_EQ(beside.Read("Team\\Header.txt"), "team\r\n");
    EXPECT_EQ(beside.Read("Team\\Footer.txt"), "here\r\n");
    EXPECT_FALSE(beside.Read("Team\\Missing.txt"));
}

// From a folder without templates the defaults are found; they have CR LF line ends.
TEST_F(TemplateFiles, TheDefaultsAreFoundFromAnyFolder) {
    TemplateFileReader defaults;
    for (const char* name : {"StandardVBModuleHeader.txt", "StandardVBProcedureHeader.txt",
                             "StandardVBErrHeader.txt", "StandardVBErrFooter.txt"}) {
        const std::string bytes = test::ReadBytes(test::SourceDir() / "Templates" / name);
        EXPECT_NE(defaults.Read(".\\Templates\\"s + name).value_or(""), "") << name;
        EXPECT_TRUE(bytes.ends_with("\r\n")) << name;
        for (std::size_t i = 1; i < bytes.size(); ++i) {
            EXPECT_FALSE(bytes[i] == '\n' && bytes[i - 1] != '\r') << name << " has a bare LF";
        }
    }
}

}  // namespace
}  // namespace brindle::host
