#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ui/Headless.h"

namespace brindle::ui {
namespace {

TEST(HeadlessStatusWindow, SettingTheMessageShowsDrawsAndPassesOverPendingMessagesOnce) {
    std::vector<std::string> events;
    HeadlessWindows windows(
        {.onMessage = [&](std::string_view m) { events.push_back("draw " + std::string(m)); },
         .doEvents = [&] { events.push_back("events"); }});
    std::unique_ptr<frmMsg> status = windows.CreateMsg(nullptr);
    EXPECT_FALSE(windows.Status().loaded);

    status->SetMessage("Adding module header to Module1");
    EXPECT_TRUE(windows.Status().loaded);
    EXPECT_TRUE(windows.Status().visible);
    EXPECT_EQ(windows.Status().label, "Adding module header to Module1");

    // While visible, a new message only replaces the text and repaints.
    status->SetMessage("");
    EXPECT_TRUE(windows.Status().visible);
    EXPECT_EQ(windows.Status().label, "");
    EXPECT_EQ(windows.Status().loads, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"draw Adding module header to Module1", "events",
                                                "draw ", "events"}));

    status->Hide();
    EXPECT_FALSE(windows.Status().visible);
    EXPECT_TRUE(windows.Status().loaded) << "hiding does not unload";
}

TEST(HeadlessStatusWindow, LoadingKeepsTheWindowHidden) {
    HeadlessWindows windows;
    std::unique_ptr<frmMsg> status = windows.CreateMsg(nullptr);
    status->Load();
    status->Load();
    EXPECT_TRUE(windows.Status().loaded);
    EXPECT_FALSE(windows.Status().visible);
    EXPECT_EQ(windows.Status().loads, 1);
}

TEST(HeadlessOptionsDialog, OkRaisesOptionsAppliedWhileTheControlsStillHoldTheirValues) {
    HeadlessWindows windows;
    std::unique_ptr<frmOptions> dialog = windows.CreateOptions(nullptr);
    std::string applied;
    dialog->OnOptionsApplied([&] { applied = dialog->Controls().txtAuthor; });
    windows.Setup().fillOptions = [](frmOptions& form) {
        form.Controls().txtAuthor = "New Author";
        form.SetLastDir("D:\\Templates\\");
        return DialogButton::OK;
    };
    dialog->Controls().txtAuthor = "Old Author";
    dialog->ShowModal();
    EXPECT_EQ(applied, "New Author");
    EXPECT_EQ(dialog->LastDir(), "D:\\Templates\\");
    EXPECT_EQ(dialog->Controls().txtAuthor, "")
        << "the form was unloaded; its controls start afresh";
}

TEST(HeadlessOptionsDialog, CancelOrNoFillerAppliesNothing) {
    HeadlessWindows windows;
    std::unique_ptr<frmOptions> dialog = windows.CreateOptions(nullptr);
    int applied = 0;
    dialog->OnOptionsApplied([&] { ++applied; });
    dialog->ShowModal();
    windows.Setup().fillOptions = [](frmOptions& form) {
        form.Controls().chkCodeMarkers = 1;
        return DialogButton::Cancel;
    };
    dialog->ShowModal();
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(dialog->Controls().chkCodeMarkers, 0);
}

TEST(HeadlessMessageBox, AnsweredByAFixedAnswerOrNoWithoutAPolicy) {
    HeadlessWindows windows;
    EXPECT_EQ(windows.MsgBox("Sure?", vbYesNo + vbExclamation, "Title"), vbNo);
    windows.Setup().answer = FixedAnswer(vbYes);
    EXPECT_EQ(windows.MsgBox("Sure?", vbYesNo + vbExclamation, "Title"), vbYes);
}

TEST(HeadlessMessageBox, OnATerminalOnlyYIsYes) {
    const std::string prompt = "first line \r\nsecond line.\r\n\r\nSure?";
    const auto ask = [&](const std::string& typed, std::string* shown = nullptr) {
        std::istringstream in(typed);
        std::ostringstream out;
        const VbMsgBoxResult answer = AskOnTerminal(in, out)(prompt, 52, "Remove Code Markers");
        if (shown != nullptr) {
            *shown = out.str();
        }
        return answer;
    };
    std::string shown;
    EXPECT_EQ(ask("y\n", &shown), vbYes);
    EXPECT_EQ(shown, "Remove Code Markers\nfirst line \nsecond line.\n\nSure? [y/N] ");
    EXPECT_EQ(ask(" YES \r\n"), vbYes);
    EXPECT_EQ(ask("n\n"), vbNo);
    EXPECT_EQ(ask("\n"), vbNo);
    EXPECT_EQ(ask("yes please\n"), vbNo);
    EXPECT_EQ(ask(""), vbNo) << "the end of the input is No";
}

}  // namespace
}  // namespace brindle::ui
