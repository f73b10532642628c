#pragma once
// What Brindle's commands leave alone in a module, and why, as the project window shows it:
// the whole module, or some of its procedures, that the user keeps Brindle away from.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/ide/MemoryProject.h"
#include "templates/AddinFields.h"

namespace brindle::workbench {

struct SkippedProcedure {
    std::string name;  // UTF-8
    vbext_ProcKind kind = vbext_pk_Proc;
    std::int32_t line = 0;  // its declaration
    std::string why;
};

struct Skipped {
    std::optional<std::string> module;  // why the whole module is left alone
    std::vector<SkippedProcedure> procedures;
};

// Nothing for a component without code.
Skipped FindSkipped(const AddinFields& fields, host::MemoryComponent& component);

}  // namespace brindle::workbench
