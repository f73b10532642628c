#pragma once
// A procedure's lines as the host answers for them, and the roles a marked block plays: what the
// map of a module's generated code and the planning of one block's text both speak of.

#include <cstdint>
#include <string>

#include "model/Vbide.h"

namespace brindle {

// One procedure as the host answers for it, in module order.
struct ProcSpan {
    std::string name;  // in the module's code page
    vbext_ProcKind kind = vbext_pk_Proc;
    std::int32_t startLine = 0;      // first line of its span
    std::int32_t topLine = 0;        // its declaration, or the #If over alternative ones
    std::int32_t bodyLine = 0;       // its declaration
    std::int32_t firstBodyLine = 0;  // the first line after the declaration (or alternatives)
    std::int32_t endLine = 0;        // its End statement; 0 when none
    std::int32_t lastLine = 0;       // last line of its span
};

enum class BlockRole { ModuleHeader, ProcedureHeader, ErrorHeader, ErrorFooter, Other };

}  // namespace brindle
