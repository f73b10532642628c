#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ui/Headless.h"

namespace brindle::ui {
namespace {

TEST(HeadlessStatusWindow, LoadsHiddenAndEachMessageShowsDrawsAndPassesOverPendingMessages) {
    std::vector<std::string> events;
    HeadlessWindows windows(
        {.onMessage = [&](std::string_view m) { events.push_back("draw " + std::string(m)); },
         .doEvents = [&] { events.push_back("events"); }});
    std::unique_ptr<frmMsg> status = windows.CreateMsg(nullptr);
    EXPECT_FALSE(windows.Status().loaded);
    status->Load();
    status->Load();
    EXPECT_TRUE(windows.Status().loaded);
    EXPECT_FALSE(windows.Status().visible);

    status->SetMessage("Adding module header to Module1");
    EXPECT_TRUE(windows.Status().visible);
    EXPECT_EQ(windows.Status().label, "Adding module header to Module1");
    status->SetMessage("");
    EXPECT_EQ(windows.Status().label, "");
    EXPECT_EQ(windows.Status().loads, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"draw Adding module header to Module1", "events",
                                                "draw ", "events"}));

    status->Hide();
    EXPECT_FALSE(windows.Status().visible);
    EXPECT_TRUE(windows.Status().loaded) << "hiding does not unload";
}

TEST(HeadlessMessageBox, NoWithoutAPolicyAndOnATerminalOnlyYIsYes) {
    HeadlessWindows windows;
    EXPECT_EQ(windows.MsgBox("Sure?", vbYesNo + vbExclamation, "Title"), vbNo);
    windows.Setup().answer = FixedAnswer(vbYes);
    EXPECT_EQ(windows.MsgBox("Sure?", vbYesNo + vbExclamation, "Title"), vbYes);

    std::ostringstream shown;
    const auto ask = [&](const std::string& typed) {
        std::istringstream in(typed);
        shown.str("");
        return AskOnTerminal(in, shown)("first line \r\nsecond line.\r\n\r\nSure?", 52,
                                        "Remove Code Markers");
    };
    EXPECT_EQ(ask("y\n"), vbYes);
    EXPECT_EQ(shown.str(), "Remove Code Markers\nfirst line \nsecond line.\n\nSure? [y/N] ");
    EXPECT_EQ(ask(" YES \r\n"), vbYes);
    for (const char* no : {"n\n", "\n", "yes please\n", ""}) {
        EXPECT_EQ(ask(no), vbNo) << no;
    }
}

}  // namespace
}  // namespace brindle::ui
