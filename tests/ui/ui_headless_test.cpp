#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/VbError.h"
#include "ui/Headless.h"
#include "ui/OptionsForm.h"
#include "ui/Twips.h"

namespace brindle::ui {
namespace {

TEST(HeadlessStatusWindow, LoadsOnceAndEachMessageShowsDrawsAndPassesOverPendingMessages) {
    std::vector<std::string> events;
    HeadlessWindows windows(
        {.onMessage = [&](std::string_view m) { events.push_back("draw " + std::string(m)); },
         .doEvents = [&] { events.push_back("events"); }});
    std::unique_ptr<frmMsg> status = windows.CreateMsg(nullptr);
    status->Load();
    status->Load();
    status->SetMessage("Adding module header to Module1");
    EXPECT_TRUE(windows.Status().visible);
    EXPECT_EQ(windows.Status().label, "Adding module header to Module1");
    status->SetMessage("");
    EXPECT_EQ(windows.Status().label, "");
    EXPECT_EQ(windows.Status().loads, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"draw Adding module header to Module1", "events",
                                                "draw ", "events"}));
}

TEST(HeadlessMessageBox, NoWithoutAPolicyAndOnATerminalOnlyYIsYes) {
    HeadlessWindows windows;
    EXPECT_EQ(windows.MsgBox("Sure?", vbYesNo + vbExclamation, "Title"), vbNo);

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

// The options dialogs of both toolkits keep these: a chosen template file leaves its own folder
// as LastDir, however the names above it read; a bare name leaves none. The next file dialog
// starts there, with the platform's separators, or at home where LastDir names no folder.
TEST(OptionsForm, AChosenFileLeavesItsOwnFolderWhereTheNextFileDialogStarts) {
    EXPECT_EQ(FolderOf("C:\\mine\\Header.txt"), "C:\\mine\\");
    EXPECT_EQ(FolderOf("/t/p.txt/p.txt"), "/t/p.txt/");
    EXPECT_EQ(FolderOf("Header.txt"), std::nullopt);
    const auto isFolder = [](const std::string& folder) { return folder != "/gone/"; };
    EXPECT_EQ(StartFolder("C:/t\\mine/", "home", '\\', isFolder), "C:\\t\\mine\\");
    EXPECT_EQ(StartFolder("\\t\\mine\\", "home", '/', isFolder), "/t/mine/");
    EXPECT_EQ(StartFolder("/gone/", "home", '/', isFolder), "home");
    EXPECT_EQ(StartFolder("", "home", '/', nullptr), "home");
}

// Both toolkits' windows are placed through this: halves go to even, as VB rounds, and a
// place beyond the 16-bit range is an overflow.
TEST(Twips, ToPixelsRoundsHalfToEvenAndOverflowsBeyondSixteenBits) {
    struct Row {
        TwipRect twips;
        double perPixel;
        PixelRect pixels;  // all zero: an overflow
    };
    const Row rows[] = {
        {{337.5, 562.5, -37.5, 7.5}, 15, {22, 38, -2, 0}},
        {{1500, 15, 4, 6}, 10, {150, 2, 0, 1}},  // 144 dots per inch
        {{32767 * 15.0, -32768 * 15.0, 0, 0}, 15, {32767, -32768, 0, 0}},
        {{0, 32767.5 * 15, 0, 0}, 15, {}},  // 32767.5 rounds to 32768
        {{0, 0, -32769 * 15.0, 0}, 15, {}},
    };
    for (const Row& row : rows) {
        if (row.pixels == PixelRect{}) {
            try {
                ToPixels(row.twips, row.perPixel, row.perPixel);
                ADD_FAILURE() << "no overflow";
            } catch (const VbError& e) {
                EXPECT_EQ(e.Number(), static_cast<std::int32_t>(Err::Overflow));
            }
        } else {
            EXPECT_EQ(ToPixels(row.twips, row.perPixel, row.perPixel), row.pixels);
        }
    }
}

}  // namespace
}  // namespace brindle::ui
