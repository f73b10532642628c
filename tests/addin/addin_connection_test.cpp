#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "addin/Brindle.h"
#include "host/files/FileSystem.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "host/settings/SettingsFile.h"
#include "support/RecordingSink.h"
#include "support/TestPaths.h"
#include "templates/OptionStore.h"
#include "ui/Headless.h"

namespace brindle {
namespace {

using test::RecordingSink;

using host::MemoryVBE;

struct AddedControl {
    std::string caption;
    bool beginGroup;
    bool visible = true;
    bool operator==(const AddedControl&) const = default;
    friend void PrintTo(const AddedControl& c, std::ostream* out) {
        *out << (c.beginGroup ? "| " : "") << c.caption << (c.visible ? "" : " (hidden)");
    }
};

class Connection : public ::testing::Test {
protected:
    Connection() {
        test::WriteBytes(dir.path() / "module.txt", "' %ModuleName%\r\n");
        SetOption("Module Header Filename", (dir.path() / "module.txt").string());
    }

    void SetOption(std::string_view key, std::string_view value) {
        host::SettingsFile(settingsPath).SaveSetting(kAppName, "Options", key, value);
    }
    std::string StoredOption(std::string_view key) {
        return host::SettingsFile(settingsPath).GetSetting(kAppName, "Options", key, "(none)");
    }

    // The controls after the host's own entries of a bar.
    static std::vector<AddedControl> Added(MemoryVBE& vbe, std::string_view barName) {
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
    static std::vector<bool> Visible(MemoryVBE& vbe, std::string_view barName) {
        std::vector<bool> visible;
        for (const AddedControl& control : Added(vbe, barName)) {
            visible.push_back(control.visible);
        }
        return visible;
    }

    test::TempDir dir;
    std::filesystem::path settingsPath = dir.path() / "settings.ini";
    host::SettingsFile settings{settingsPath};
    host::TemplateFileReader templates{std::vector<std::filesystem::path>{}};
    RecordingSink sink;
    ui::HeadlessWindows windows;
};

TEST_F(Connection, TenButtonsOnThreeBarsInTheirGroups) {
    // Template files that are missing or unnamed do not stop the connection.
    SetOption("Procedure Header Template Filename", (dir.path() / "nowhere.txt").string());
    SetOption("Error Footer Template Filename", "");
    MemoryVBE vbe;
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_AfterStartup);

    EXPECT_EQ(Added(vbe, "Code Window"),
              (std::vector<AddedControl>{{"Add Module Header", true},
                                         {"Add Header(s) to Selected Procedures", false},
                                         {"Add Error Handler(s) to Selected Procedures", false},
                                         {"Remove Brindle Markers from Selection", true},
                                         {"Remove Code Added by Brindle from Selection", false},
                                         {"Brindle Options...", true}}));
    EXPECT_EQ(Added(vbe, "Tools"), (std::vector<AddedControl>{{"Close All Windows", true}}));
    EXPECT_EQ(Added(vbe, "Project Window Project"),
              (std::vector<AddedControl>{
                  {"Add Headers And Error Handlers to Entire Project", true},
                  {"Remove All Code Markers from Entire Project", true},
                  {"Remove All Code Added by Brindle from Entire Project", false}}));
    EXPECT_EQ(addin.Fields().msModHdrTmplt, "' %ModuleName%\n");
    EXPECT_EQ(addin.Fields().msProcHdrTmplt, "");
    EXPECT_EQ(addin.Fields().msErrFtrTmplt, "");

    vbe.Shutdown();
    EXPECT_TRUE(Added(vbe, "Code Window").empty()) << "temporary controls go with the host";
}

// Mode two (no buttons) loads the options and templates. A host that opens a project with team
// settings reloads them: what the add-in holds is saved through the store as it was, then read
// from the store as it is now. Before it connects it holds only defaults, which must not
// overwrite the user's options.
TEST_F(Connection, ModeTwoMakesNoButtonsAndReloadingSavesFirstThenReadsTheChangedStore) {
    SetOption("Author", "Ann Author");
    MemoryVBE vbe;
    Brindle addin(settings, templates, windows, &sink);
    addin.ReloadOptions([&] { SetOption("Add Code Markers", "False"); });
    EXPECT_EQ(StoredOption("Author"), "Ann Author");
    EXPECT_EQ(addin.Fields().msAuthor, "Ann Author");
    EXPECT_EQ(addin.Fields().msModHdrTmplt, "' %ModuleName%\n");

    vbe.Connect(addin, ext_cm_External);
    EXPECT_TRUE(Added(vbe, "Code Window").empty());
    EXPECT_TRUE(Added(vbe, "Tools").empty());
    addin.ReloadOptions([&] {
        EXPECT_EQ(StoredOption("Author"), "Ann Author") << "nothing changed, nothing written";
        EXPECT_EQ(StoredOption("Add Code Markers"), "False");
        SetOption("Skip Existing", "True");
        SetOption("Module Header Filename", "");
    });
    EXPECT_TRUE(addin.Fields().mbSkipExisting);
    EXPECT_EQ(addin.Fields().msModHdrTmplt, "");
    vbe.Shutdown();
    EXPECT_FALSE(vbe.IsConnected(addin));
    EXPECT_TRUE(sink.reported.empty()) << "controls never made are nothing to hide";
}

// Without a Tools bar the add-in hides the six buttons it made and disconnects itself; the
// failure reaches the host and the add-in shows nothing. Without an entry in the add-in list it
// cannot disconnect itself: it cleans up by itself and stays connected.
TEST_F(Connection, WithoutAToolsBarTheAddinHidesItsButtonsAndDisconnectsItselfIfItCan) {
    for (const bool listed : {true, false}) {
        MemoryVBE vbe(listed ? host::IdeSetup{.toolsBar = false}
                             : host::IdeSetup{.toolsBar = false, .addins = {}});
        RecordingSink own;
        Brindle addin(settings, templates, windows, &own);
        vbe.Connect(addin, listed ? ext_cm_Startup : ext_cm_AfterStartup);

        EXPECT_EQ(vbe.IsConnected(addin), !listed);
        EXPECT_EQ(Visible(vbe, "Code Window"), std::vector<bool>(6, false));
        EXPECT_TRUE(Added(vbe, "Project Window Project").empty());
        EXPECT_FALSE(vbe.Click("Add Module Header"));
        ASSERT_EQ(own.reported.size(), listed ? 1u : 2u);
        EXPECT_EQ(own.reported[0].Number(), 91);
        EXPECT_EQ(own.reported[0].Source(), "Brindle.OnConnection");
        if (!listed) {
            EXPECT_EQ(own.reported[1].Number(), 9);
            EXPECT_TRUE(own.reported[1].Source().starts_with("Brindle.DisconnectAddIn | "))
                << own.reported[1].Source();
        }
        EXPECT_FALSE(windows.Status().visible);
        vbe.Shutdown();
    }
}

TEST_F(Connection, ASecondDisconnectionFindsNothingToHide) {
    MemoryVBE vbe;
    Brindle addin(settings, templates, windows, &sink);
    vbe.Connect(addin, ext_cm_AfterStartup);
    vbe.Addins().Item("Visual Basic Brindle").SetConnect(false);
    vbe.Addins().Update();
    EXPECT_EQ(Visible(vbe, "Code Window"), std::vector<bool>(6, false));
    EXPECT_EQ(Visible(vbe, "Tools"), std::vector<bool>{false});
    EXPECT_EQ(Visible(vbe, "Project Window Project"), std::vector<bool>(3, false));
    EXPECT_FALSE(addin.gevtAddModHdr) << "no click reaches a disconnected add-in";
    EXPECT_FALSE(addin.gevtRemoveAllFromProj);

    CustomArgs custom;
    addin.OnDisconnection(ext_dm_UserClosed, custom);
    EXPECT_TRUE(sink.reported.empty());

    // Connecting the same object again makes ten new buttons; the old ones stay hidden.
    vbe.Addins().Item("Visual Basic Brindle").SetConnect(true);
    vbe.Addins().Update();
    std::vector<bool> expected(6, false);
    expected.resize(12, true);
    EXPECT_EQ(Visible(vbe, "Code Window"), expected);
    EXPECT_TRUE(vbe.Click("Tools", "Close All Windows"));
    EXPECT_TRUE(windows.Status().loaded) << "the new button reaches its command";
    vbe.Shutdown();
}

// Without a start-up notice (connected after start-up) nothing is loaded yet.
TEST_F(Connection, StartupCompleteShowsTheSplashUnlessDisabledAndLoadsTheStatusWindowHidden) {
    const struct {
        ext_ConnectMode mode;
        const char* disableSplash;
        int splashes;
        bool loaded;
    } cases[] = {{ext_cm_Startup, "False", 1, true},
                 {ext_cm_AfterStartup, "False", 0, false},
                 {ext_cm_Startup, "True", 0, true}};
    for (const auto& c : cases) {
        SetOption("Disable Splash", c.disableSplash);
        ui::HeadlessWindows own;
        MemoryVBE vbe;
        Brindle addin(settings, templates, own, &sink);
        vbe.Connect(addin, c.mode);
        EXPECT_EQ(own.SplashesShown(), c.splashes) << c.mode << c.disableSplash;
        EXPECT_EQ(own.Status().loaded, c.loaded) << c.mode << c.disableSplash;
        EXPECT_FALSE(own.Status().visible);
        vbe.Shutdown();
    }
}

}  // namespace
}  // namespace brindle
