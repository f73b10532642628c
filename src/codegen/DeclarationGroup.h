#pragma once
// Alternative declarations of one procedure under conditional compilation, as in
//
//     #If VBA7 Then
//     Private Function Handle() As LongPtr
//     #Else
//     Private Function Handle() As Long
//     #End If
//         ...
//     End Function
//
// The host reports one procedure whose body line is the first declaration; its body starts
// after the #End If that closes the group.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/Vbide.h"

namespace brindle {

// Whether the line holds nothing but blanks and a comment.
bool IsBlankOrComment(std::string_view line);
// The statements of a line's code (comment left out), split at its colons, without the blanks
// around each.
std::vector<std::string_view> StatementsOf(std::string_view code);

// The name a Sub, Function or Property statement declares (type suffix removed), or "" when
// the statement declares no procedure.
std::string DeclaredProcName(std::string_view statement);

// The first line of a procedure's body, given its declaration statement and the line after
// that statement: that line, or, when alternative declarations of the same procedure follow
// it under #Else or #ElseIf branches, the line after the #End If that closes them.
std::int32_t FirstBodyLine(CodeModule& module, std::string_view declaration,
                           std::int32_t afterDeclaration);

// `above` when it is the #If line that opens alternative declarations of the procedure
// declared at `line` (comment lines may stand between them); 0 otherwise.
std::int32_t OpeningIfOfAlternatives(CodeModule& module, std::int32_t line, std::int32_t above);

}  // namespace brindle
