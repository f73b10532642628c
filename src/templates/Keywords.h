#pragma once
// The template keywords: the one list that the expansion recognises and the help and the manual
// page describe, so that the two cannot drift apart.

#include <array>
#include <string>
#include <string_view>

namespace brindle {

struct TemplateKeyword {
    std::string_view name;           // as written between two "%": "ModuleName"
    std::string_view inModule;       // what it gives in a module header
    std::string_view inProcedure;    // what it gives in a procedure's header or error handler
    std::string_view exampleLine;    // a template line that uses it
    std::string_view exampleResult;  // what that line becomes
};

inline constexpr std::array<TemplateKeyword, 8> kTemplateKeywords = {{
    {"ModuleName", "the module's name, as the project shows it", "the name of its module",
     "' Module: %ModuleName%", "' Module: modMain"},
    {"ProcedureName", "nothing", "the procedure's name",
     "Err.Raise Err.Number, \"%ModuleName%.%ProcedureName%\"",
     "Err.Raise Err.Number, \"modMain.LevelOf\""},
    {"ProcedureType", "Sub", "Function, Property or Sub, after the declaration",
     "Exit %ProcedureType%", "Exit Function"},
    {"TypedScopedProcedureName", "nothing (the first line up to its \"(\", if it has one)",
     "the declaration up to its \"(\": scope, kind and name", "' %TypedScopedProcedureName%",
     "' Public Function LevelOf"},
    {"Parameters", "nothing",
     "one comment line per parameter below the keyword's line: an apostrophe, a tab and the "
     "parameter's declaration; nothing without parameters",
     "' Parameters:%Parameters%", "' Parameters:\n'\tByVal Item As String\n'\tOptional Depth = 1"},
    {"ParameterNames", "nothing", "as Parameters, with each parameter's name alone",
     "' In:%ParameterNames%", "' In:\n'\tItem\n'\tDepth"},
    {"Author", "the Author option", "the Author option", "' Author: %Author%",
     "' Author: Ada Byron"},
    {"Date", "today's date in the Date Format option (Short Date: the regional short date)",
     "the same", "' Created: %Date%", "' Created: 03/17/24"},
}};

// The keyword as a template refers to it: "%ModuleName%".
inline std::string ReferenceTo(const TemplateKeyword& keyword) {
    std::string reference(1, '%');
    reference.append(keyword.name).push_back('%');
    return reference;
}

// How a literal "%" is written, for the help beside the list.
inline constexpr std::string_view kLiteralPercent =
    "A keyword is written between two percent signs, in any letter case: %Date%, %date%. A \"%\" "
    "that opens no keyword reference is copied as it stands, so a literal percent sign needs no "
    "escape (100%, %Note%); there is none: %%Date% gives a \"%\" and the date.";

}  // namespace brindle
