#pragma once
// Work on one whole module: module header, batch insertion over the selection, removal.

#include "host/model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

// At line 1, or at line 2 when the first line mentions Option Explicit. Each call adds one more.
void AddModuleHeader(const AddinFields& fields, CodeModule& module);
// For every procedure the selection of the module's pane touches, in line order. A failure ends
// the run; what was inserted for the procedures before it stays.
void AddHeaders(const AddinFields& fields, CodeModule& module);
void AddErrHandlers(const AddinFields& fields, CodeModule& module);

// Within the selection: deletes every line that is exactly a marker line (any letter case);
// lines that merely hold a marker's text stay.
void RemoveCodeMarkers(CodeModule& module);
// Within the selection: deletes each begin marker's line through the line of the first end
// marker text after it, top down. Any line holding a marker's text counts; blocks do not nest.
void RemoveCode(CodeModule& module);

}  // namespace brindle
