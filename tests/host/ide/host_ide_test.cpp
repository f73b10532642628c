// Our IDE: command bars and their clicks, the add-in list's connection protocol, code windows.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/ide/Ide.h"
#include "host/ide/MemoryProject.h"
#include "model/VbError.h"

namespace brindle::host {
namespace {

// The captions of a command bar's controls or of the IDE's windows.
template <typename Collection>
std::vector<std::string> Captions(Collection& items) {
    std::vector<std::string> captions;
    for (std::int32_t i = 1; i <= items.Count(); ++i) {
        captions.push_back(items.Item(i)->Caption());
    }
    return captions;
}

// An add-in that only notes what the host tells it.
class NotingAddin : public IDTExtensibility {
public:
    void OnConnection(VBE&, std::int32_t mode, AddIn* entry, CustomArgs&) override {
        calls.push_back("connect " + std::to_string(mode) + (entry ? " listed" : " unlisted"));
        if (onConnection) {
            onConnection();
        }
    }
    void OnDisconnection(std::int32_t mode, CustomArgs&) override {
        calls.push_back("disconnect " + std::to_string(mode));
    }
    void OnStartupComplete(CustomArgs&) override { calls.push_back("startup complete"); }
    void OnAddInsUpdate(CustomArgs&) override { calls.push_back("addins update"); }

    std::vector<std::string> calls;
    std::function<void()> onConnection;
};

// Bars are found by name in any letter case.
TEST(IdeCommandBars, ControlsGoAtTheEndOrBeforeAPositionAndTemporaryOnesGoAtShutdown) {
    MemoryVBE vbe;
    EXPECT_EQ(vbe.CommandBars().Item("Menu Bar 2"), nullptr);
    CommandBarControls& controls = vbe.CommandBars().Item("tools")->Controls();
    const std::vector<std::string> own = Captions(controls);

    auto last = controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    last->SetCaption("Last");
    auto first = controls.Add(msoControlButton, std::nullopt, std::nullopt, 1, true);
    first->SetCaption("First");
    auto kept = controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, false);
    kept->SetCaption("Kept");

    std::vector<std::string> expected = {"First"};
    expected.insert(expected.end(), own.begin(), own.end());
    expected.insert(expected.end(), {"Last", "Kept"});
    EXPECT_EQ(Captions(controls), expected);

    EXPECT_THROW(controls.Add(msoControlButton, std::nullopt, std::nullopt, 99, true), VbError);
    EXPECT_THROW(controls.Item(0), VbError);

    auto deleted = controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, false);
    deleted->SetCaption("Deleted");
    vbe.DeleteControl(*deleted);
    EXPECT_EQ(Captions(controls), expected);
    EXPECT_FALSE(vbe.Click("Deleted"));
    EXPECT_THROW(vbe.DeleteControl(*deleted), VbError);

    vbe.Shutdown();
    expected = own;
    expected.push_back("Kept");
    EXPECT_EQ(Captions(controls), expected);
}

TEST(IdeCommandBars, ClicksReachEverySourceForAsLongAsItLivesAndOnlyVisibleControls) {
    MemoryVBE vbe;
    CommandBarControls& controls = vbe.CommandBars().Item("Code Window")->Controls();
    auto control = controls.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    control->SetCaption("Do It");

    int clicks = 0;
    auto source = vbe.Events().CommandBarEvents(*control);
    source->OnClick([&](CommandBarControl& clicked, bool& handled, bool& cancelDefault) {
        EXPECT_EQ(&clicked, control.get());
        EXPECT_FALSE(handled);
        EXPECT_FALSE(cancelDefault);
        ++clicks;
    });
    auto second = vbe.Events().CommandBarEvents(*control);
    second->OnClick([&](CommandBarControl&, bool&, bool&) { clicks += 10; });

    EXPECT_TRUE(vbe.Click("Do It"));
    EXPECT_EQ(clicks, 11);

    second.reset();
    EXPECT_TRUE(vbe.Click("Code Window", "Do It"));
    EXPECT_EQ(clicks, 12);
    EXPECT_FALSE(vbe.Click("Tools", "Do It"));

    control->SetVisible(false);
    EXPECT_FALSE(vbe.Click("Do It"));
    EXPECT_EQ(clicks, 12);

    source.reset();
    control->SetVisible(true);
    EXPECT_TRUE(vbe.Click("Do It"));
    EXPECT_EQ(clicks, 12);
}

TEST(IdeAddins, ConnectingAndDisconnectingThroughTheAddinListOrUnlisted) {
    MemoryVBE vbe;
    NotingAddin addin;
    vbe.Connect(addin, ext_cm_Startup);
    EXPECT_TRUE(vbe.IsConnected(addin));
    EXPECT_TRUE(vbe.Addins().Item("Visual Basic Brindle").Connect());

    vbe.Addins().Item("Visual Basic Brindle").SetConnect(false);
    EXPECT_TRUE(vbe.IsConnected(addin)) << "nothing happens before Update";
    vbe.Addins().Update();
    EXPECT_FALSE(vbe.IsConnected(addin));

    vbe.Addins().Item("Visual Basic Brindle").SetConnect(true);
    vbe.Addins().Update();
    EXPECT_TRUE(vbe.IsConnected(addin));
    vbe.Shutdown();
    vbe.Shutdown();

    EXPECT_EQ(addin.calls,
              (std::vector<std::string>{"connect 1 listed", "startup complete", "disconnect 1",
                                        "connect 0 listed", "addins update", "disconnect 0"}));
    EXPECT_THROW(vbe.Addins().Item("Some Other Add-In"), VbError);

    // An add-in that disconnects itself while connecting gets no startup complete; one without
    // an entry in the list is connected unlisted until shutdown.
    MemoryVBE again;
    NotingAddin quitter;
    quitter.onConnection = [&] {
        again.Addins().Item("Visual Basic Brindle").SetConnect(false);
        again.Addins().Update();
    };
    again.Connect(quitter, ext_cm_Startup);
    EXPECT_FALSE(again.IsConnected(quitter));
    EXPECT_EQ(quitter.calls, (std::vector<std::string>{"connect 1 listed", "disconnect 1"}));

    MemoryVBE unlisted({.addins = {}});
    NotingAddin plain;
    unlisted.Connect(plain, ext_cm_CommandLine);
    EXPECT_THROW(unlisted.Addins().Item("Visual Basic Brindle"), VbError);
    EXPECT_TRUE(unlisted.IsConnected(plain));
    unlisted.Shutdown();
    EXPECT_EQ(plain.calls, (std::vector<std::string>{"connect 3 unlisted", "disconnect 0"}));

    // While the environment starts, start-up add-ins hear that it is complete only at its end.
    MemoryVBE starting({.startingUp = true});
    NotingAddin early;
    starting.Connect(early, ext_cm_Startup);
    EXPECT_EQ(early.calls, (std::vector<std::string>{"connect 1 listed"}));
    starting.CompleteStartup();
    starting.CompleteStartup();
    EXPECT_EQ(early.calls, (std::vector<std::string>{"connect 1 listed", "startup complete"}));
}

TEST(IdeWindows, ClosingAWindowTakesItOutOfTheListAndLeavesNoPaneActive) {
    auto project = std::make_shared<MemoryProject>("Project1");
    MemoryComponent& module =
        project->AddComponent("Module1", vbext_ct_StdModule, "Sub A()\r\nEnd Sub\r\n");
    MemoryComponent& form = project->AddComponent("Form1", vbext_ct_VBForm, "Option Explicit\r\n");
    MemoryVBE vbe;
    EXPECT_EQ(vbe.ActiveVBProject(), nullptr);
    vbe.AddProject(project);
    EXPECT_EQ(vbe.ActiveVBProject(), project.get());
    EXPECT_EQ(vbe.ActiveCodePane(), nullptr);

    int viewsClosed = 0;
    auto moduleWindow = vbe.OpenCodeWindow(module.CodeModule().CodePane(), [&] { ++viewsClosed; });
    vbe.OpenDesigner("Form1 (Form)");
    auto formWindow = vbe.OpenCodeWindow(form.CodeModule().CodePane());
    EXPECT_EQ(vbe.OpenCodeWindow(form.CodeModule().CodePane()), formWindow);
    EXPECT_EQ(vbe.ActiveCodePane(), &form.CodeModule().CodePane());
    EXPECT_EQ(Captions(vbe.Windows()),
              (std::vector<std::string>{"Project", "Properties", "Immediate", "Module1 (Code)",
                                        "Form1 (Form)", "Form1 (Code)"}));
    EXPECT_EQ(formWindow->Type(), vbext_wt_CodeWindow);

    moduleWindow->Close();
    moduleWindow->Close();
    EXPECT_EQ(viewsClosed, 1);
    EXPECT_EQ(vbe.ActiveCodePane(), &form.CodeModule().CodePane());
    formWindow->Close();
    formWindow->Close();
    EXPECT_EQ(vbe.ActiveCodePane(), nullptr);
    EXPECT_EQ(Captions(vbe.Windows()),
              (std::vector<std::string>{"Project", "Properties", "Immediate", "Form1 (Form)"}));

    auto other = std::make_shared<MemoryProject>("Project2");
    EXPECT_THROW(vbe.SetActiveVBProject(other.get()), VbError);
    vbe.AddProject(other);
    EXPECT_EQ(vbe.ActiveVBProject(), project.get());
    vbe.SetActiveVBProject(other.get());
    EXPECT_EQ(vbe.ActiveVBProject(), other.get());
    vbe.RemoveProject(*other);
    EXPECT_EQ(vbe.ActiveVBProject(), project.get());
    vbe.RemoveProject(*project);
    EXPECT_EQ(vbe.ActiveVBProject(), nullptr);
}

}  // namespace
}  // namespace brindle::host
