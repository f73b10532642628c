#pragma once
// Go to Definition: the name under the caret looked up in the project's own procedure index, as
// the IDE's Shift+F2 does for procedures, properties, declared functions, events, constants,
// Enum members, module-level variables and the procedure's own parameters and local variables.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "workbench/Workspace.h"

namespace brindle::workbench {

struct Definition {
    host::MemoryComponent* component = nullptr;
    std::int32_t line = 0;  // where the declaration begins
};

// The name at `column` (1-based, in bytes) of a line of `from`'s module, alone or qualified by a
// module's name, Me, an Enum's name or a variable declared as a class of the project, with the
// project's name before it or not ("modMain.LevelOf", "mCurrent.Adjust"). Looked for in `from`
// first, then among what the other modules of the project declare not Private. Nothing when the
// name is not one of them.
std::optional<Definition> FindDefinition(const OpenProject& project, host::MemoryComponent& from,
                                         std::int32_t line, std::int32_t column);

// The name at the column with what qualifies it, as "Module.Name" or "Name"; empty on no name.
std::string NameAt(std::string_view text, std::int32_t column);

}  // namespace brindle::workbench
