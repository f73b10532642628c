#pragma once
// Marked insertion and placement of generated text for one procedure.

#include <cstdint>
#include <string>
#include <string_view>

#include "host/model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

inline constexpr std::string_view kBeginMarker = "' [Brindle Begin]";
inline constexpr std::string_view kEndMarker = "' [Brindle End]";

void InsertProcHeader(const AddinFields& fields, CodeModule& module, std::string text,
                      std::int32_t line);
void InsertErrHeader(const AddinFields& fields, CodeModule& module, std::string text,
                     std::int32_t line);
void InsertErrFooter(const AddinFields& fields, CodeModule& module, std::string text,
                     std::int32_t line);

void AddHeaderToProc(const AddinFields& fields, CodeModule& module, std::string_view name,
                     vbext_ProcKind kind);
void AddErrHandlerToProc(const AddinFields& fields, CodeModule& module, std::string_view name,
                         vbext_ProcKind kind);

}  // namespace brindle
