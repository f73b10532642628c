// How many calls of the IDE the add-in's commands make through our object model over
// automation, on the corpus's largest module and largest project: a command costs a bounded
// number of calls per procedure and per module, never one per line, and leaves the same text as
// the add-in over our in-memory IDE.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "addin/Brindle.h"
#include "addin/Buttons.h"
#include "host/com/ComVbe.h"
#include "host/com/double/AutomationIde.h"
#include "host/files/ProjectLoader.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "host/settings/SettingsFile.h"
#include "support/TestPaths.h"
#include "ui/Headless.h"

namespace brindle::host::com {
namespace {

namespace fs = std::filesystem;
using test::AutomationIde;
using test::CallCounts;
using test::IdeKind;

constexpr int kCodePage = 1252;

// The ceilings of one command, a + b * procedures + c * modules: for all its calls (a
// procedure's edits, lookups and members), and for those that read the text (Lines,
// CountOfLines, Find), which a module of many lines must not multiply. Adding to a whole
// project costs about 45 calls a procedure: some 15 for each of its three blocks (the member
// and its lines looked up, the place found, the lines inserted and counted); the text is read
// once a module and each edit's lines once more.
struct Ceiling {
    int fixed, perProcedure, perModule;
    int Of(int procedures, int modules) const {
        return fixed + perProcedure * procedures + perModule * modules;
    }
};
constexpr Ceiling kCalls{200, 50, 50};
constexpr Ceiling kReads{20, 6, 4};

fs::path LargestControl() {
    return test::CorpusDir() / "Kr00l__VBFLXGRD" / "ActiveX Control Version" / "Builds" /
           "VBFlexGrid" / "VBFlexGrid.ctl";
}

fs::path LargestProject() {
    return test::CorpusDir() / "jpbro__VbFcgi" / "src" / "VbFcgiLibDll" / "VbFcgiLib.vbp";
}

// One IDE holding the loaded project, with the add-in connected the way its host connects it.
struct Side {
    explicit Side(const fs::path& file)
        : loaded(IsProjectOrGroupFile(file) ? LoadProjects(file, kCodePage)
                                            : LoadModules({file}, kCodePage)) {
        vbe.AddProject(loaded.projects.at(0).project);
        OpenFirstModule();
    }
    ~Side() { vbe.Shutdown(); }

    const std::vector<LoadedModule>& Modules() const { return loaded.projects.at(0).modules; }
    void OpenFirstModule() {
        CodeModule& module = Modules().front().component->CodeModule();
        vbe.OpenCodeWindow(module.CodePane());
        module.CodePane().SetSelection(1, 1, module.CountOfLines() + 1, 1);
    }
    std::string Text() const {
        std::string text;
        for (const LoadedModule& module : Modules()) {
            text += VisibleText(module.component->CodeModule()) + "\x1f";
        }
        return text;
    }
    int Procedures() const {
        int count = 0;
        for (const LoadedModule& module : Modules()) {
            Members& members = module.component->CodeModule().Members();
            for (std::int32_t i = 1; i <= members.Count(); ++i) {
                const auto type = members.Item(i)->Type();
                count += type == vbext_mt_Method || type == vbext_mt_Property ? 1 : 0;
            }
        }
        return count;
    }

    test::TempDir dir;
    SettingsFile settings{dir.path() / "settings.ini"};
    TemplateFileReader templates{std::vector<fs::path>{test::SourceDir() / "Templates"}};
    ui::HeadlessWindows windows{ui::HeadlessSetup{.answer = ui::FixedAnswer(vbYes)}};
    Brindle addin{settings, templates, windows, nullptr};
    Loaded loaded;
    MemoryVBE vbe;
};

class CommandCalls : public ::testing::TestWithParam<IdeKind> {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override {
        if (model) {
            CustomArgs custom;
            const ComVbe::Reach reach(*model);
            side->addin.OnDisconnection(ext_dm_UserClosed, custom);
        }
        reference.reset();
        model.reset();
        automation.reset();
        side.reset();
        CoUninitialize();
    }

    // The same project in our IDE through automation, and in our IDE alone for reference.
    void Load(const fs::path& file) {
        side = std::make_unique<Side>(file);
        reference = std::make_unique<Side>(file);
        reference->vbe.Connect(reference->addin, ext_cm_AfterStartup);
        automation = std::make_unique<AutomationIde>(side->vbe, GetParam());
        model = std::make_unique<ComVbe>(DispatchPtr::Share(automation->Vbe()), kCodePage);
        CustomArgs custom;
        const ComVbe::Reach reach(*model);
        side->addin.OnConnection(
            *model, ext_cm_AfterStartup,
            &model->WrapAddIn(DispatchPtr::Share(automation->AddIn("VBBrindle.Brindle"))), custom);
    }

    // Clicks each button in both IDEs: the texts stay the same, and each click's calls of the
    // IDE stay under the ceiling.
    void Run(const std::vector<std::string_view>& captions) {
        for (std::string_view caption : captions) {
            SCOPED_TRACE(caption);
            const int procedures = reference->Procedures();
            const int modules = static_cast<int>(reference->Modules().size());
            const std::string before = reference->Text();
            side->OpenFirstModule();
            reference->OpenFirstModule();
            automation->ResetCalls();
            EXPECT_TRUE(side->vbe.Click(caption));
            EXPECT_TRUE(reference->vbe.Click(caption));
            EXPECT_EQ(side->Text(), reference->Text());
            if (caption != buttons::kOptions && caption != buttons::kCloseAllWins) {
                EXPECT_NE(reference->Text(), before) << "changed nothing";
            }
            const CallCounts& calls = automation->Calls();
            // Each insertion and deletion is confirmed with one CountOfLines, beside the reads.
            const int confirmations = calls.Of("InsertLines") + calls.Of("DeleteLines");
            const int reads =
                calls.Of("Lines") + calls.Of("CountOfLines") + calls.Of("Find") - confirmations;
            // Each member's calls, for a ceiling that is passed.
            const std::string listed = ::testing::PrintToString(calls.byMember);
            EXPECT_LE(calls.total, kCalls.Of(procedures, modules)) << listed;
            EXPECT_LE(reads, kReads.Of(procedures, modules)) << listed;
        }
    }

    std::unique_ptr<Side> side;
    std::unique_ptr<Side> reference;
    std::unique_ptr<AutomationIde> automation;
    std::unique_ptr<ComVbe> model;
};

TEST_P(CommandCalls, EveryCommandOnTheLargestModule) {
    BRINDLE_NEEDS_CORPUS();
    Load(LargestControl());
    Run({buttons::kAddModHdr, buttons::kAddHeaders, buttons::kAddErrHandlers, buttons::kRemoveAll,
         buttons::kAddAllToProj, buttons::kRemoveCodeMarkers, buttons::kAddAllToProj,
         buttons::kRemoveCodeMarkersFromProj, buttons::kAddAllToProj, buttons::kRemoveAllFromProj,
         buttons::kOptions, buttons::kCloseAllWins});
}

TEST_P(CommandCalls, TheProjectCommandsOnTheLargestProject) {
    BRINDLE_NEEDS_CORPUS();
    Load(LargestProject());
    Run({buttons::kAddAllToProj, buttons::kRemoveAllFromProj, buttons::kAddAllToProj,
         buttons::kRemoveCodeMarkersFromProj});
}

INSTANTIATE_TEST_SUITE_P(Editors, CommandCalls, ::testing::Values(IdeKind::Vb6, IdeKind::Vba),
                         [](const auto& param) {
                             return std::string(param.param == IdeKind::Vb6 ? "Vb6" : "Vba");
                         });

}  // namespace
}  // namespace brindle::host::com
