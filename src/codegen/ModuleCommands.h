#pragma once
// Work on one whole module: module header, batch insertion over the selection, removal.

#include "host/model/Diagnostics.h"
#include "host/model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

// At line 1, or at line 2 when the first line mentions Option Explicit. Each call adds one more.
void AddModuleHeader(const AddinFields& fields, CodeModule& module);
// For every procedure the selection of the module's pane touches, in line order. A failure ends
// the run; what was inserted for the procedures before it stays. A procedure that cannot take
// an error handler is told to `sink` and passed over.
void AddHeaders(const AddinFields& fields, CodeModule& module);
void AddErrHandlers(const AddinFields& fields, CodeModule& module, Diagnostics* sink);

// Within the selection, each well-formed marked block (a begin marker line whose next marker
// line is an end marker line): RemoveCodeMarkers deletes its two marker lines, RemoveCode the
// whole block. Every other marker line stays, and those in the selection are told to `sink`,
// as are blocks that reach outside it.
void RemoveCodeMarkers(CodeModule& module, Diagnostics* sink);
void RemoveCode(CodeModule& module, Diagnostics* sink);

}  // namespace brindle
