#pragma once
// Work on one whole module: module header, batch insertion over the selection, removal.

#include "model/Diagnostics.h"
#include "model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

class KeptMap;

// The module and procedures that the user keeps Brindle away from ("' brindle: skip", excluded
// procedure names) are passed over by every command here.

// Each piece of work done is told to `sink` (Diagnostics::Did), as are the warnings below.

// At line 1, or at line 2 when the first line mentions Option Explicit. Each call adds one more,
// unless Skip Existing is on and the module has a marked module header. Nothing without
// template text.
void AddModuleHeader(const AddinFields& fields, CodeModule& module, Diagnostics* sink = nullptr,
                     KeptMap* kept = nullptr);
// For every procedure the selection of the module's pane touches, in line order. A failure ends
// the run; what was inserted for the procedures before it stays. A procedure that cannot take
// an error handler is told to `sink` and passed over. With Skip Existing, a procedure with a
// marked header gets no header, and one with a marked error handler or an On Error statement
// of its own no error handler. Nothing without template text.
// With `kept`, the generated code that Skip Existing looks at is taken from it while the module
// is unchanged, and forgotten before the module is changed.
void AddHeaders(const AddinFields& fields, CodeModule& module, Diagnostics* sink = nullptr,
                KeptMap* kept = nullptr);
void AddErrHandlers(const AddinFields& fields, CodeModule& module, Diagnostics* sink,
                    KeptMap* kept = nullptr);

// Within the selection, each well-formed marked block (a begin marker line whose next marker
// line is an end marker line): RemoveCodeMarkers deletes its two marker lines, RemoveCode the
// whole block. Every other marker line stays, and those in the selection are told to `sink`,
// as are blocks that reach outside it.
void RemoveCodeMarkers(const AddinFields& fields, CodeModule& module, Diagnostics* sink);
void RemoveCode(const AddinFields& fields, CodeModule& module, Diagnostics* sink);

}  // namespace brindle
