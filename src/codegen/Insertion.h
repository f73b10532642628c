#pragma once
// Marked insertion and placement of generated text for one procedure.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "codegen/Markers.h"
#include "model/Diagnostics.h"
#include "model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

// The text between the two marker lines, joined by CR LF, when the Add Code Markers option is
// on; the text itself when it is off.
std::string MarkedText(const AddinFields& fields, std::string text);

// Above the declaration that begins at `line` and above the comment lines (first column "'")
// directly over it, up to a marker line; above the #If line of alternative declarations.
void InsertProcHeader(const AddinFields& fields, CodeModule& module, std::string text,
                      std::int32_t line);
// Directly below the declaration statement that begins at `line`, or below the #End If that
// closes alternative declarations of the same procedure.
void InsertErrHeader(const AddinFields& fields, CodeModule& module, std::string text,
                     std::int32_t line);
// At `line`, the line of the End statement, which moves down below it.
void InsertErrFooter(const AddinFields& fields, CodeModule& module, std::string text,
                     std::int32_t line);

// The procedure's own member: a class may declare an event of the same name as one of its
// methods, and the lookup by name can give the event. Raises 91 when there is no such member.
std::shared_ptr<const Member> ProcedureMemberOf(CodeModule& module, std::string_view name);

// Why a procedure whose declaration runs on past the module's last line gets nothing.
inline constexpr std::string_view kCutOff = "its declaration runs on past the module's last line";

// Why the procedure offers no place for an error handler, in words; nothing when it does.
std::optional<std::string> NoPlaceForHandler(CodeModule& module, std::string_view name,
                                             vbext_ProcKind kind);

void AddHeaderToProc(const AddinFields& fields, CodeModule& module, std::string_view name,
                     vbext_ProcKind kind);

// Whether both error-handler templates give text; without either, no error handler goes in.
inline bool HasErrHandlerTemplates(const AddinFields& fields) {
    return !fields.msErrHdrTmplt.empty() && !fields.msErrFtrTmplt.empty();
}
// Only for a method or property member, and only with both templates. A procedure whose
// header and footer would not enclose its body (no matching End statement, a declaration that
// runs on past the module's last line, one written on one line, other statements beside its
// declaration or End statement) is told to `sink` and left as it is; a handler added is told to
// it too. When the footer cannot be placed, the header is
// taken out again before the failure is passed on.
void AddErrHandlerToProc(const AddinFields& fields, CodeModule& module, std::string_view name,
                         vbext_ProcKind kind, Diagnostics* sink);

}  // namespace brindle
