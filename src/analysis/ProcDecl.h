#pragma once
// Reading one procedure's declaration, parameters and End statement through its CodeModule.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/Vbide.h"

namespace brindle {

// The declaration statement that begins at `line`, continuation lines (a blank and an
// underscore at the end) joined; `lineCount` receives the number of lines it occupies.
std::string GetProcDeclLine(CodeModule& module, const std::int32_t& line, std::int32_t& lineCount);
// The same, except that a declaration whose continuations run on past the module's last line
// (code that does not compile) ends there rather than raising 9: for reading what stands
// around it.
std::string GetProcDeclLineToEnd(CodeModule& module, std::int32_t line, std::int32_t& lineCount);
// Whether the declaration that begins at `line` goes on past the module's last line, where
// GetProcDeclLine raises 9.
bool DeclarationRunsPastEnd(CodeModule& module, std::int32_t line);

// The parameter declarations of a declaration statement, as written, from index 0 on; returns
// their number (0 leaves `parms` untouched). The list runs to the bracket that closes it, and
// commas inside brackets or string literals do not separate; a list never closed raises 5.
std::int32_t GetParms(std::string_view declaration, std::vector<std::string>& parms);

// The code of the statement that begins at `line`, comments left out, with the lines it
// continues onto joined and the blanks around each break made one.
std::string GetStatementCode(CodeModule& module, std::int32_t line);

// The line of the procedure's End statement, searched from the bottom of its span up to its
// declaration's line, or 0 when none is found.
std::int32_t GetProcLastLineNum(CodeModule& module, std::string_view name, vbext_ProcKind kind);
// The same for a procedure whose lines are known: its declaration (read for a Sub or Function)
// begins at `bodyLine` and its span ends at `lastLine`.
std::int32_t GetProcLastLineNum(CodeModule& module, std::int32_t bodyLine, std::int32_t lastLine,
                                vbext_ProcKind kind, std::string_view declaration);

// "Sub", "Function" or "Property", decided from the declaration's leading words (optional
// scope keyword, optional Static, then the keyword); "Sub" for a statement that is none of them.
std::string ProcedureTypeOf(std::string_view declaration);

// "Sub Main", "Property Get Name", in the module's code page.
std::string ProcedureLabel(CodeModule& module, std::string_view name, vbext_ProcKind kind);
// The same of a declaration already read.
std::string ProcedureLabel(vbext_ProcKind kind, std::string_view name,
                           std::string_view declaration);

}  // namespace brindle
