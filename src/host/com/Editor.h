#pragma once
// Which IDE the add-in runs in, and what differs between the two for it: the VB6 IDE and
// Office's VBA editor share the extensibility object model but not every name in it.

#include <cstdint>
#include <optional>
#include <string_view>

#include "host/com/Dispatch.h"

namespace brindle::host::com {

enum class Editor { Vb6, Vba };

// Asks `vbe` once: the VB6 IDE's VBE has FullName, the VBA editor's raises 438. Its Version
// does not tell them apart, as Office 2000 to 2007 answer "6.0x" like the VB6 IDE.
Editor EditorOf(const Object& vbe);

// The name the editor gives the command bar that the model calls `name` (the VB6 IDE's name).
// The VBA editor has one context menu for its project window, "Project Window", where the VB6
// IDE has one per kind of node ("Project Window Project" is the project's).
std::string_view BarNameIn(Editor editor, std::string_view name);

// Where the VB6 IDE keeps that bar in its CommandBars, for when it does not answer the name:
// the code window's context menu at 15, the project's at 22. None for other bars.
std::optional<std::int32_t> Vb6BarIndex(std::string_view name);

}  // namespace brindle::host::com
