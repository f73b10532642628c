#pragma once
// What the Qt and the Win32 status window, splash window, StayOnTop and message box share, one
// suite run over each platform's bench: its `windows` (QtWindows, Win32Windows), CanShow(),
// Find(form) (none: nullptr; two: a failure), Post(event) (an event left waiting) and
// Show(style, prompt, title) (the message box as made).

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addin/AddinWindows.h"
#include "model/VbError.h"
#include "support/RecordingSink.h"
#include "ui/OnScreen.h"
#include "ui/Twips.h"

namespace brindle::test {

// A top-level window of the add-in, as the platform's window system has it.
class Window {
public:
    virtual ~Window() = default;
    virtual bool Visible() = 0;
    virtual bool OnTop() = 0;
    virtual bool Plain() = 0;  // no title bar, no taskbar entry
    virtual Place Frame() = 0;
    virtual Place Screen() = 0;
    virtual Place Client() = 0;  // its client area, from 0, 0
    virtual double TwipsPerPixel() = 0;
    virtual void MoveTo(long left, long top) = 0;
    virtual std::string Message() = 0;  // lblMsg's text, whole, as a screen reader gets it
    virtual std::string Drawn() = 0;    // lblMsg's text as drawn in its width (which it fits)
    virtual std::string Name() = 0;     // what a screen reader calls the window
    virtual void AskToClose() = 0;      // clicked, Escape, Enter, Alt+F4
    virtual void Tick() = 0;            // Timer1 fires
    virtual void StayOnTop(bool onTop) = 0;
};

// A message box as made for a style: what it offers and which of it is the default.
struct Box {
    std::string title;
    std::string text;
    std::vector<VbMsgBoxResult> offered;
    VbMsgBoxResult byDefault = vbOK;
};

inline Place Pixels(const ui::TwipRect& twips, double perPixel) {
    const ui::PixelRect pixels = ui::ToPixels(twips, perPixel, perPixel);
    return {pixels.x, pixels.y, pixels.x + pixels.cx, pixels.y + pixels.cy};
}

template <class Bench>
class AddinWindow : public OnScreen<Bench> {};

TYPED_TEST_SUITE_P(AddinWindow);

// Loaded hidden, on top, plain and of its size in twips; a message shows it centred, after a
// pass over the waiting events, and it stays where it was put from then on. A long message
// loses its middle where drawn, not the module's name at its end.
TYPED_TEST_P(AddinWindow, StatusWindowLoadsHiddenOnTopAndShowsEachMessageInPlace) {
    TypeParam bench;
    RecordingSink sink;
    std::vector<std::string> observed;
    bench.windows.ObserveStatus([&](std::string_view message) { observed.emplace_back(message); });
    std::unique_ptr<frmMsg> status = bench.windows.CreateMsg(&sink);
    status->Load();
    const std::unique_ptr<Window> form = bench.Find("frmMsg");
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(form->OnTop());
    EXPECT_TRUE(form->Plain());
    EXPECT_EQ(form->Client(), Pixels(ui::kStatusClientArea, form->TwipsPerPixel()));
    EXPECT_EQ(form->Message(), "");
    EXPECT_EQ(form->Name(), "Brindle status");

    bool delivered = false;
    bench.Post([&] { delivered = true; });
    const std::string message = "Adding module header to <Modul\xC3\xA9 \xE6\x97\xA5>";
    status->SetMessage(message);
    EXPECT_TRUE(delivered);
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(Centred(form->Frame(), form->Screen()));
    EXPECT_EQ(form->Message(), message);
    EXPECT_EQ(form->Drawn(), message);
    EXPECT_EQ(observed, std::vector<std::string>{message});

    form->MoveTo(40, 60);
    status->SetMessage("");
    EXPECT_EQ(form->Message(), "");
    status->Hide();
    EXPECT_FALSE(form->Visible());
    status->SetMessage("Closing all windows...");
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->Frame().left, 40);
    EXPECT_EQ(form->Frame().top, 60);
    EXPECT_NE(bench.Find("frmMsg"), nullptr);  // loaded once

    const std::string adding =
        "Adding module header, procedure headers, and error handlers to "
        "modInventoryValuationAndReorderReports";
    status->SetMessage(adding);
    EXPECT_EQ(form->Message(), adding);
    const std::string drawn = form->Drawn();
    EXPECT_TRUE(drawn.starts_with("Adding module header")) << drawn;
    EXPECT_NE(drawn.find("\xE2\x80\xA6"), std::string::npos) << drawn;
    EXPECT_TRUE(drawn.ends_with("ReorderReports")) << drawn;
    EXPECT_TRUE(sink.reported.empty());
    status.reset();
    EXPECT_EQ(bench.Find("frmMsg"), nullptr);
}

// Shown centred, not on top; clicks, keys and requests to close leave it up: only its timer
// closes it, and another can show after it.
TYPED_TEST_P(AddinWindow, SplashClosesWhenItsTimerTicksAndOnlyThen) {
    TypeParam bench;
    for (int shown = 0; shown < 2; ++shown) {
        bench.windows.CreateSplash()->Show();  // nothing keeps the object: the window lives on
        const std::unique_ptr<Window> form = bench.Find("frmSplash");
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(form->Visible());
        EXPECT_FALSE(form->OnTop());
        EXPECT_TRUE(form->Plain());
        EXPECT_EQ(form->Client(), Pixels(ui::kSplashClientArea, form->TwipsPerPixel()));
        EXPECT_TRUE(Centred(form->Frame(), form->Screen()));
        form->AskToClose();
        EXPECT_TRUE(form->Visible());
        form->Tick();
        EXPECT_EQ(bench.Find("frmSplash"), nullptr);
    }
}

// StayOnTop keeps the window's place and whether it is shown; a place beyond the 16-bit range
// fails with an overflow named after it, and the window is left as it was.
TYPED_TEST_P(AddinWindow, StayOnTopKeepsPlaceAndVisibilityOrFailsBeforeTouchingTheWindow) {
    TypeParam bench;
    std::unique_ptr<frmMsg> status = bench.windows.CreateMsg(nullptr);
    status->SetMessage("on top");
    const std::unique_ptr<Window> form = bench.Find("frmMsg");
    ASSERT_NE(form, nullptr);
    const Place place = form->Frame();
    for (const bool onTop : {false, true, false}) {
        form->StayOnTop(onTop);
        EXPECT_EQ(form->OnTop(), onTop);
        EXPECT_TRUE(form->Visible());
        EXPECT_EQ(form->Frame(), place);
    }
    status->Hide();
    form->StayOnTop(false);
    EXPECT_FALSE(form->Visible());

    form->MoveTo(40000, 40);
    if (form->Frame().left != 40000) {
        return;  // the system keeps windows within its range
    }
    try {
        form->StayOnTop(true);
        ADD_FAILURE() << "no overflow";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(Err::Overflow));
        EXPECT_EQ(e.Source(), "WinUtils.StayOnTop | ");
    }
    EXPECT_FALSE(form->OnTop());
}

// The box offers the buttons of its style with its title and prompt, the default as the style
// says.
TYPED_TEST_P(AddinWindow, MessageBoxOffersTheButtonsOfItsStyle) {
    struct Row {
        std::int32_t style;
        std::vector<VbMsgBoxResult> offered;
        VbMsgBoxResult byDefault;
    };
    const Row rows[] = {
        {vbYesNo + vbExclamation, {vbYes, vbNo}, vbYes},  // the confirmations
        {vbOKCancel + vbQuestion + vbDefaultButton2, {vbOK, vbCancel}, vbCancel},
        {vbOKOnly + vbInformation, {vbOK}, vbOK},
    };
    const std::string title = "Remove Code Markers \xE2\x80\x93 \xE6\x97\xA5";
    TypeParam bench;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.style);
        Box box =
            bench.Show(row.style, "Remove the markers from M\xC3\xB6\x64ul1?\r\nSure?", title);
        EXPECT_EQ(box.title, title);
        EXPECT_NE(box.text.find("M\xC3\xB6\x64ul1?"), std::string::npos) << box.text;
        std::ranges::sort(box.offered);
        std::vector<VbMsgBoxResult> offered = row.offered;
        std::ranges::sort(offered);
        EXPECT_EQ(box.offered, offered);
        EXPECT_EQ(box.byDefault, row.byDefault);
    }
}

REGISTER_TYPED_TEST_SUITE_P(AddinWindow, StatusWindowLoadsHiddenOnTopAndShowsEachMessageInPlace,
                            SplashClosesWhenItsTimerTicksAndOnlyThen,
                            StayOnTopKeepsPlaceAndVisibilityOrFailsBeforeTouchingTheWindow,
                            MessageBoxOffersTheButtonsOfItsStyle);

}  // namespace brindle::test
