#include "addin/AddinWindows.h"

namespace brindle {

void frmMsg::SetMessage(std::string_view sMsg) {
    IgnoreStep(sink_, [&] { SetLabel(sMsg); });
    IgnoreStep(sink_, [&] {
        if (!IsVisible()) {
            ShowWindow();
        }
    });
    IgnoreStep(sink_, [&] { Refresh(); });
    IgnoreStep(sink_, [&] { DoEvents(); });
}

void frmMsg::Load() {
    IgnoreStep(sink_, [&] { LoadWindow(); });
}

void frmMsg::Hide() {
    IgnoreStep(sink_, [&] { HideWindow(); });
}

void frmOptions::cmdOK_Click() {
    // The handler runs to its end before the form unloads, so it still reads the controls.
    IgnoreStep(sink_, [&] {
        if (optionsApplied_) {
            optionsApplied_();
        }
    });
    IgnoreStep(sink_, [&] { Unload(); });
}

void frmOptions::cmdCancel_Click() {
    IgnoreStep(sink_, [&] { Unload(); });
}

}  // namespace brindle
