#include "host/com/Editor.h"

#include "model/IdeBars.h"
#include "model/VbError.h"

namespace brindle::host::com {
namespace {

constexpr std::string_view kVbaProjectWindowBar = "Project Window";
constexpr std::int32_t kVb6CodeWindowIndex = 15;
constexpr std::int32_t kVb6ProjectWindowIndex = 22;

}  // namespace

Editor EditorOf(const Object& vbe) {
    try {
        vbe.Get("FullName");
        return Editor::Vb6;
    } catch (const VbError& e) {
        if (e.Number() != kObjectLacksMember) {
            throw;
        }
        return Editor::Vba;
    }
}

std::string_view BarNameIn(Editor editor, std::string_view name) {
    if (editor == Editor::Vba && name == kProjectWindowBar) {
        return kVbaProjectWindowBar;
    }
    return name;
}

std::optional<std::int32_t> Vb6BarIndex(std::string_view name) {
    if (name == kCodeWindowBar) {
        return kVb6CodeWindowIndex;
    }
    if (name == kProjectWindowBar) {
        return kVb6ProjectWindowIndex;
    }
    return std::nullopt;
}

}  // namespace brindle::host::com
