// VB6 module files: what the code pane hides, byte-exact writing, saving and failures.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "host/files/FileSystem.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectLoader.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

namespace fs = std::filesystem;
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
    "Attribute VB_GlobalNameSpace = False\r\n"
    "Attribute VB_Creatable = False\r\n"
    "Attribute VB_PredeclaredId = True\r\n"
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
    EXPECT_EQ(ParseModule(kForm, "x.dsr")->Type(), vbext_ct_ActiveXDesigner);
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

}  // namespace
}  // namespace brindle::host
