#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "addin/Brindle.h"
#include "host/Ide.h"
#include "host/SettingsFile.h"
#include "host/TemplateFileReader.h"
#include "support/TestPaths.h"
#include "templates/OptionStore.h"
#include "ui/Headless.h"

namespace brindle {
namespace {

using host::MemoryVBE;

class RecordingSink : public Diagnostics {
public:
    void Report(const VbError& failure) override { reported.push_back(failure); }
    std::vector<VbError> reported;
};

struct AddedControl {
    std::string caption;
    bool beginGroup;
    bool visible;
};

class Connection : public ::testing::Test {
protected:
    Connection() {
        const auto folder = dir.path() / "Templates";
        std::filesystem::create_directories(folder);
        test::WriteBytes(folder / "module.txt", "' %ModuleName%\r\n");
        SetOption("Module Header Filename", (folder / "module.txt").string());
    }

    void SetOption(std::string_view key, std::string_view value) {
        host::SettingsFile(settingsPath).SaveSetting(kAppName, "Options", key, value);
    }
    std::string StoredOption(std::string_view key) {
        return host::SettingsFile(settingsPath).GetSetting(kAppName, "Options", key, "(none)");
    }

    // The controls after the host's own entries of a bar.
    std::vector<AddedControl> Added(MemoryVBE& vbe, std::string_view barName) {
        MemoryVBE fresh;
        const std::int32_t own = fresh.CommandBars().Item(barName)->Controls().Count();
        CommandBarControls& controls = vbe.CommandBars().Item(barName)->Controls();
        std::vector<AddedControl> added;
        for (std::int32_t i = own + 1; i <= controls.Count(); ++i) {
            auto control = controls.Item(i);
            added.push_back({control->Caption(), control->BeginGroup(), control->Visible()});
        }
        return added;
    }

    static bool AllHidden(const std::vector<AddedControl>& controls) {
        return std::none_of(controls.begin(), controls.end(),
                            [](const AddedControl& control) { return control.visible; });
    }
    static bool AllVisible(const std::vector<AddedControl>& controls) {
        return std::all_of(controls.begin(), controls.end(),
                           [](const AddedControl& control) { return control.visible; });
    }

    test::TempDir dir;
    std::filesystem::path settingsPath = dir.path() / "settings.ini";
    host::SettingsFile settings{settingsPath};
    host::TemplateFileReader templates{std::vector<std::filesystem::path>{}};
    RecordingSink sink;
    ui::HeadlessWindows windows;
};

TEST_F(Connection, TenButtonsOnThreeBarsInTheirGroupsEachWithItsEventSource) {
    MemoryVBE vbe;
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_AfterStartup);

    const std::vector<AddedControl> codeWindow = Added(vbe, "Code Window");
    ASSERT_EQ(codeWindow.size(), 6u);
    const std::vector<std::pair<std::string, bool>> expected = {
        {"Add Module Header", true},
        {"Add Header(s) to Selected Procedures", false},
        {"Add Error Handler(s) to Selected Procedures", false},
        {"Remove Brindle Markers from Selection", true},
        {"Remove Code Added by Brindle from Selection", false},
        {"Brindle Options...", true}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(codeWindow[i].caption, expected[i].first);
        EXPECT_EQ(codeWindow[i].beginGroup, expected[i].second) << expected[i].first;
        EXPECT_TRUE(codeWindow[i].visible);
    }

    const std::vector<AddedControl> tools = Added(vbe, "Tools");
    ASSERT_EQ(tools.size(), 1u);
    EXPECT_EQ(tools[0].caption, "Close All Windows");
    EXPECT_TRUE(tools[0].beginGroup);

    const std::vector<AddedControl> project = Added(vbe, "Project Window Project");
    ASSERT_EQ(project.size(), 3u);
    EXPECT_EQ(project[0].caption, "Add Headers And Error Handlers to Entire Project");
    EXPECT_EQ(project[1].caption, "Remove All Code Markers from Entire Project");
    EXPECT_EQ(project[2].caption, "Remove All Code Added by Brindle from Entire Project");
    EXPECT_TRUE(project[0].beginGroup);
    EXPECT_TRUE(project[1].beginGroup);
    EXPECT_FALSE(project[2].beginGroup);

    for (const EventSourceField* field :
         {&addin.gevtAddModHdr, &addin.gevtAddHeaders, &addin.gevtAddErrHandlers,
          &addin.gevtRemoveAll, &addin.gevtRemoveCodeMarkers, &addin.gevtOptions,
          &addin.gevtCloseAllWins, &addin.gevtAddAllToProj, &addin.gevtRemoveCodeMarkersFromProj,
          &addin.gevtRemoveAllFromProj}) {
        EXPECT_TRUE(*field);
    }
    EXPECT_EQ(addin.Fields().msModHdrTmplt, "' %ModuleName%\n");
    EXPECT_TRUE(sink.reported.empty());

    vbe.Shutdown();
    EXPECT_TRUE(Added(vbe, "Code Window").empty()) << "temporary controls go with the host";
}

TEST_F(Connection, ModeTwoLoadsOptionsAndTemplatesButMakesNoButtonsAndStillSavesAtTheEnd) {
    SetOption("Author", "Ann Author");
    MemoryVBE vbe;
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_External);

    EXPECT_EQ(addin.Fields().msAuthor, "Ann Author");
    EXPECT_EQ(addin.Fields().msModHdrTmplt, "' %ModuleName%\n");
    EXPECT_TRUE(Added(vbe, "Code Window").empty());
    EXPECT_TRUE(Added(vbe, "Tools").empty());
    EXPECT_FALSE(addin.gevtAddModHdr);
    EXPECT_FALSE(addin.gevtRemoveAllFromProj);

    EXPECT_EQ(StoredOption("Procedure Header Template Filename"), "(none)");
    vbe.Shutdown();
    EXPECT_FALSE(vbe.IsConnected(addin));
    EXPECT_EQ(StoredOption("Procedure Header Template Filename"),
              ".\\Templates\\StandardVBProcedureHeader.txt");
    EXPECT_EQ(StoredOption("Author"), "Ann Author");
    EXPECT_TRUE(sink.reported.empty()) << "controls never made are nothing to hide";
}

TEST_F(Connection, MissingTemplateFilesDoNotStopTheConnection) {
    SetOption("Module Header Filename", (dir.path() / "nowhere.txt").string());
    SetOption("Error Footer Template Filename", "");
    MemoryVBE vbe;
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_Startup);
    EXPECT_TRUE(vbe.IsConnected(addin));
    EXPECT_EQ(Added(vbe, "Code Window").size(), 6u);
    EXPECT_EQ(Added(vbe, "Project Window Project").size(), 3u);
    EXPECT_EQ(addin.Fields().msModHdrTmplt, "");
    EXPECT_EQ(addin.Fields().msErrFtrTmplt, "");
    vbe.Shutdown();
}

TEST_F(Connection, WithoutAToolsBarTheAddinDisconnectsItselfAfterTheSixCodeWindowButtons) {
    MemoryVBE vbe({.toolsBar = false});
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_Startup);

    EXPECT_FALSE(vbe.IsConnected(addin));
    EXPECT_FALSE(vbe.Addins().Item("Visual Basic Brindle").Connect());
    const std::vector<AddedControl> codeWindow = Added(vbe, "Code Window");
    EXPECT_EQ(codeWindow.size(), 6u);
    EXPECT_TRUE(AllHidden(codeWindow));
    EXPECT_TRUE(Added(vbe, "Project Window Project").empty());
    EXPECT_FALSE(vbe.Click("Add Module Header"));

    // The failure reaches the host; the add-in itself shows nothing.
    ASSERT_EQ(sink.reported.size(), 1u);
    EXPECT_EQ(sink.reported[0].Number(), 91);
    EXPECT_EQ(sink.reported[0].Source(), "Brindle.OnConnection");
    EXPECT_FALSE(windows.Status().visible);
    EXPECT_EQ(windows.SplashesShown(), 0) << "a disconnected add-in gets no start-up notice";
    EXPECT_EQ(StoredOption("Author"), "J. R. Tollard") << "the disconnection saved the options";
}

TEST_F(Connection, AFailedConnectionWithoutAnAddinListEntryCleansUpByItselfAndStaysConnected) {
    MemoryVBE vbe({.toolsBar = false, .addins = {}});
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_AfterStartup);

    EXPECT_TRUE(vbe.IsConnected(addin));
    EXPECT_TRUE(AllHidden(Added(vbe, "Code Window")));
    EXPECT_EQ(StoredOption("Author"), "J. R. Tollard");
    ASSERT_EQ(sink.reported.size(), 2u);
    EXPECT_EQ(sink.reported[0].Source(), "Brindle.OnConnection");
    EXPECT_EQ(sink.reported[1].Number(), 9);
    EXPECT_EQ(sink.reported[1].Source().rfind("Brindle.DisconnectAddIn | ", 0), 0u)
        << sink.reported[1].Source();
    vbe.Shutdown();
}

TEST_F(Connection, ASecondDisconnectionFindsNothingToHideAndSavesTheOptionsAgain) {
    MemoryVBE vbe;
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_AfterStartup);
    vbe.Addins().Item("Visual Basic Brindle").SetConnect(false);
    vbe.Addins().Update();
    EXPECT_TRUE(AllHidden(Added(vbe, "Code Window")));
    EXPECT_TRUE(AllHidden(Added(vbe, "Tools")));
    EXPECT_TRUE(AllHidden(Added(vbe, "Project Window Project")));

    SetOption("Author", "Changed Meanwhile");
    CustomArgs custom;
    addin.OnDisconnection(ext_dm_UserClosed, custom);
    EXPECT_EQ(StoredOption("Author"), "J. R. Tollard");
    EXPECT_TRUE(sink.reported.empty());

    // Connecting the same object again makes ten new buttons; the old ones stay hidden.
    vbe.Addins().Item("Visual Basic Brindle").SetConnect(true);
    vbe.Addins().Update();
    const std::vector<AddedControl> codeWindow = Added(vbe, "Code Window");
    ASSERT_EQ(codeWindow.size(), 12u);
    EXPECT_TRUE(AllHidden({codeWindow.begin(), codeWindow.begin() + 6}));
    EXPECT_TRUE(AllVisible({codeWindow.begin() + 6, codeWindow.end()}));
    vbe.Shutdown();
}

TEST_F(Connection, StartupCompleteShowsTheSplashUnlessDisabledAndLoadsTheStatusWindowHidden) {
    {
        MemoryVBE vbe;
        Brindle addin(settings, templates, windows, &sink);
        vbe.Connect(addin, ext_cm_Startup);
        EXPECT_EQ(windows.SplashesShown(), 1);
        EXPECT_TRUE(windows.Status().loaded);
        EXPECT_FALSE(windows.Status().visible);
        vbe.Shutdown();
    }
    SetOption("Disable Splash", "True");
    ui::HeadlessWindows quiet;
    MemoryVBE vbe;
    Brindle addin(settings, templates, quiet, &sink);
    vbe.Connect(addin, ext_cm_Startup);
    EXPECT_EQ(quiet.SplashesShown(), 0);
    EXPECT_TRUE(quiet.Status().loaded);

    ui::HeadlessWindows later;
    MemoryVBE afterStartup;
    Brindle connectedLater(settings, templates, later, &sink);
    afterStartup.Connect(connectedLater, ext_cm_AfterStartup);
    EXPECT_FALSE(later.Status().loaded) << "no start-up notice, so nothing is loaded yet";
    afterStartup.Shutdown();
    vbe.Shutdown();
}

}  // namespace
}  // namespace brindle
