#pragma once
// The windows of the add-in that the galleries show one at a time, for a look at them.

#include <memory>
#include <optional>
#include <string_view>

#include "addin/AddinWindows.h"
#include "templates/OptionStore.h"
#include "util/DateFormat.h"

namespace brindle::gallery {

// Shows the window called `name` ("options", "templates", "status", "splash", "question");
// for "templates", `turnToTemplates` arranges that the options dialog, once shown, turns to
// its Templates tab. Returns whether the window stays up for the event loop (a modal one is
// over by then); nothing for a name it does not know.
template <class TurnToTemplates>
std::optional<bool> ShowInGallery(AddinWindows& windows, std::string_view name,
                                  std::unique_ptr<frmMsg>& status,
                                  TurnToTemplates&& turnToTemplates) {
    if (name == "options" || name == "templates") {
        std::unique_ptr<frmOptions> dialog = windows.CreateOptions(nullptr);
        OptionsControls& controls = dialog->Controls();
        controls.txtAuthor = "Ann Author";
        controls.chkCodeMarkers = 1;
        controls.txtDateFormat = kDefaultDateFormat;
        controls.txtModHdrFname = kDefaultModHdrFname;
        controls.txtProcHdrFname = kDefaultProcHdrFname;
        controls.txtErrHdrFname = kDefaultErrHdrFname;
        controls.txtErrFtrFname = kDefaultErrFtrFname;
        if (name == "templates") {
            turnToTemplates();
        }
        dialog->ShowModal();
        return false;
    }
    if (name == "status") {
        status = windows.CreateMsg(nullptr);
        status->Load();
        // The longest message, with a module name longer than the line has room for.
        status->SetMessage(
            "Adding module header, procedure headers, and error handlers to "
            "modInventoryValuationAndReorderReports");
    } else if (name == "splash") {
        windows.CreateSplash()->Show();
    } else if (name == "question") {
        // The widest of the confirmations.
        windows.MsgBox(
            "Are you sure you want Brindle to add module headers, procedure headers, \r\n"
            "and error handlers to the entire project?",
            vbYesNo + vbExclamation, "Add to Entire Project");
        return false;
    } else {
        return std::nullopt;
    }
    return true;
}

}  // namespace brindle::gallery
