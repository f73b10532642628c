#include "ui/OptionsForm.h"

#include <algorithm>
#include <array>

#include "util/Text.h"

namespace brindle::ui {

namespace {

constexpr bool Fills(std::string_view button, std::string_view box) {
    return FilledBox(IndexOf(button)) == IndexOf(box);
}

static_assert(Fills("cmdLoadModHdrTmplt", "txtModHdrFname"));
static_assert(Fills("cmdLoadProcHdrTmplt", "txtProcHdrFname"));
static_assert(Fills("cmdLoadErrHdrTmplt", "txtErrHdrFname"));
static_assert(Fills("cmdLoadErrFtrTmplt", "txtErrFtrFname"));

// No two captions share an access key, letter case aside.
constexpr bool AccessKeysDiffer() {
    std::array<bool, 128> taken{};
    for (const OptionsFormControl& control : kOptionsForm) {
        const std::size_t at = control.caption.find('&');
        if (at == std::string_view::npos || at + 1 == control.caption.size()) {
            continue;
        }
        const auto key = static_cast<unsigned char>(LowerAscii(control.caption[at + 1]));
        if (key >= taken.size() || taken[key]) {
            return false;
        }
        taken[key] = true;
    }
    return true;
}
static_assert(AccessKeysDiffer());

}  // namespace

std::string FixedTip(std::string_view shown, std::string_view file) {
    std::string tip(shown);
    if (!tip.empty()) {
        tip += '\n';
    }
    return tip.append("Set for this project by ").append(file);
}

std::string FixedNote(std::string_view file) {
    return std::string("Greyed fields are set for this project by ")
        .append(file)
        .append("; your own values apply to other projects.");
}

std::optional<std::string> FolderOf(std::string_view path) {
    const std::size_t last = path.find_last_of("/\\");
    if (last == std::string_view::npos || last + 1 == path.size()) {
        return std::nullopt;
    }
    return std::string(path.substr(0, last + 1));
}

std::string StartFolder(std::string_view lastDir, std::string_view home, char separator,
                        const std::function<bool(const std::string&)>& isFolder) {
    std::string folder(lastDir);
    std::replace_if(
        folder.begin(), folder.end(), [](char c) { return c == '/' || c == '\\'; }, separator);
    if (folder.empty() || (isFolder && !isFolder(folder))) {
        return std::string(home);
    }
    return folder;
}

void NoteChosenFile(frmOptions& dialog, std::string_view path) {
    if (const std::optional<std::string> folder = FolderOf(path)) {
        dialog.SetLastDir(*folder);
    }
}

}  // namespace brindle::ui
