#pragma once
// The options dialog's controls, the one list that its Qt and its Win32 form are made from:
// each control's name in the add-in, kind, caption and place, the value it edits and the
// setting a team's file may decide for it; and the rules both forms keep about the folder a
// template button's file dialog starts in.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "addin/AddinWindows.h"
#include "model/SettingsKeys.h"

namespace brindle::ui {

enum class ControlKind { Label, TextBox, CheckBox, Button };

struct OptionsFormControl {
    std::string_view name;
    ControlKind kind;
    std::string_view caption;  // with its access key after '&'; empty for a text box
    int tab;                   // 0 General, 1 Templates; -1 below the tabs
    int row;                   // within its tab, or below the tabs
    int column;
    std::string OptionsControls::*text = nullptr;    // what a text box edits
    std::int32_t OptionsControls::*check = nullptr;  // what a check box edits
    std::string_view key = {};  // the setting a team's file may decide, greying the control
    std::string_view accessibleName = {};  // what a screen reader calls a box without a label
};

inline constexpr std::string_view kOptionsTitle = "Brindle Options";
inline constexpr std::array<std::string_view, 2> kOptionsTabs = {"General", "Templates"};

// The form's controls, in the order the keyboard walks them (labels aside); a label stands
// before the box its access key reaches. The template buttons' access keys differ from those
// of the General tab too.
inline constexpr std::array<OptionsFormControl, 18> kOptionsForm = {{
    {"Label1", ControlKind::Label, "&Author", 0, 0, 0},
    {"txtAuthor", ControlKind::TextBox, "", 0, 0, 1, &OptionsControls::txtAuthor},
    {"chkCodeMarkers", ControlKind::CheckBox,
     "Add &Code Markers (Allows for removal of code added by Brindle)", 0, 1, 0, nullptr,
     &OptionsControls::chkCodeMarkers, settings::kMarkersKey},
    {"chkDisableSplash", ControlKind::CheckBox, "&Disable splash screen on startup", 0, 2, 0,
     nullptr, &OptionsControls::chkDisableSplash},
    {"chkSkipExisting", ControlKind::CheckBox, "&Skip headers and error handlers already there", 0,
     3, 0, nullptr, &OptionsControls::chkSkipExisting, settings::kSkipExistingKey},
    {"lblDateFormat", ControlKind::Label, "Date &Format", 0, 4, 0},
    {"txtDateFormat", ControlKind::TextBox, "", 0, 4, 1, &OptionsControls::txtDateFormat, nullptr,
     settings::kDateFormatKey},
    {"cmdLoadModHdrTmplt", ControlKind::Button, "&Module Header ...", 1, 0, 0, nullptr, nullptr,
     settings::kModHdrKey},
    {"txtModHdrFname", ControlKind::TextBox, "", 1, 0, 1, &OptionsControls::txtModHdrFname, nullptr,
     settings::kModHdrKey, "Module header template file"},
    {"cmdLoadProcHdrTmplt", ControlKind::Button, "&Procedure Header ...", 1, 1, 0, nullptr, nullptr,
     settings::kProcHdrKey},
    {"txtProcHdrFname", ControlKind::TextBox, "", 1, 1, 1, &OptionsControls::txtProcHdrFname,
     nullptr, settings::kProcHdrKey, "Procedure header template file"},
    {"cmdLoadErrHdrTmplt", ControlKind::Button, "Error &Handler Header ...", 1, 2, 0, nullptr,
     nullptr, settings::kErrHdrKey},
    {"txtErrHdrFname", ControlKind::TextBox, "", 1, 2, 1, &OptionsControls::txtErrHdrFname, nullptr,
     settings::kErrHdrKey, "Error handler header template file"},
    {"cmdLoadErrFtrTmplt", ControlKind::Button, "&Error Handler Footer ...", 1, 3, 0, nullptr,
     nullptr, settings::kErrFtrKey},
    {"txtErrFtrFname", ControlKind::TextBox, "", 1, 3, 1, &OptionsControls::txtErrFtrFname, nullptr,
     settings::kErrFtrKey, "Error handler footer template file"},
    {"lblHelp", ControlKind::Label, "Press F1 for help on VB Brindle", -1, 0, 0},
    {"cmdOK", ControlKind::Button, "OK", -1, 0, 1},
    {"cmdCancel", ControlKind::Button, "Cancel", -1, 0, 2},
}};

// The box a template button fills: the one after it, on the Templates tab. None for another
// control.
constexpr std::optional<std::size_t> FilledBox(std::size_t button) {
    const bool isTemplateButton =
        kOptionsForm[button].kind == ControlKind::Button && kOptionsForm[button].tab == 1;
    return isTemplateButton ? std::optional(button + 1) : std::nullopt;
}

// The index of the control of that name; the size of the table for none.
constexpr std::size_t IndexOf(std::string_view name) {
    std::size_t i = 0;
    while (i < kOptionsForm.size() && kOptionsForm[i].name != name) {
        ++i;
    }
    return i;
}

// Why a field is greyed, in its tooltip: what the tooltip showed (a template box's path), then
// the file that decides it.
std::string FixedTip(std::string_view shown, std::string_view file);
// The note on a form whose fields another file decides.
std::string FixedNote(std::string_view file);

// The folder a chosen template file leaves as the dialog's LastDir: its own, with the
// separator that ends it (also where a folder above has the file's name); nothing for a bare
// name, which leaves LastDir as it was.
std::optional<std::string> FolderOf(std::string_view path);
// Where a template button's file dialog starts: LastDir as stored, with its separators made
// `separator` (a stored backslash separates folders on every platform), else `home` when
// LastDir is empty or `isFolder` says it names no folder here.
std::string StartFolder(std::string_view lastDir, std::string_view home, char separator,
                        const std::function<bool(const std::string&)>& isFolder);
// A template button's file chosen: LastDir becomes its folder.
void NoteChosenFile(frmOptions& dialog, std::string_view path);

}  // namespace brindle::ui
