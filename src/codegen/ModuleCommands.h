#pragma once
// Work on one whole module: module header, batch insertion over the selection, removal.

#include "host/model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

void AddModuleHeader(const AddinFields& fields, CodeModule& module);
void AddHeaders(const AddinFields& fields, CodeModule& module);
void AddErrHandlers(const AddinFields& fields, CodeModule& module);

void RemoveCodeMarkers(CodeModule& module);
void RemoveCode(CodeModule& module);

}  // namespace brindle
