#include "dll/OptionsHelp.h"

#include <windows.h>

#include <array>
#include <string_view>

#include "ui/win32/WinUtils.h"
#include "util/Markdown.h"

namespace brindle::dll {

std::string OptionsHelp() {
    HMODULE module = ui::win32::OwnModule();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kReadmeResource),
                                MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return {};
    }
    const std::string_view readme(static_cast<const char*>(bytes), SizeofResource(module, found));
    constexpr std::array<std::string_view, 2> kTitles = {"The options", "Template keywords"};
    return MarkdownAsPlainText(MarkdownSections(readme, kTitles));
}

}  // namespace brindle::dll
