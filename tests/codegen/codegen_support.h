#pragma once
// What the code generation tests and benchmark share: template texts, a module held by a
// project of our in-memory host and line access.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "codegen/Insertion.h"
#include "host/ide/MemoryProject.h"
#include "model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle::test {

using Lines = std::vector<std::string>;

inline const std::string kBegin(kBeginMarker);
inline const std::string kEnd(kEndMarker);

enum class Markers { Off, On };

// Template texts as LoadTemplates gives them (each line followed by LF): a header comment
// block with a multi-line keyword, and an error handler that compiles in every kind of
// procedure.
inline AddinFields CodegenFields(Markers markers) {
    AddinFields fields;
    fields.mbAddCodeMarkers = markers == Markers::On;
    fields.msAuthor = "Ann Author";
    fields.msModHdrTmplt = "'----\n' Module: %ModuleName%\n' Author: %Author%\n'----\n";
    fields.msProcHdrTmplt =
        "'----\n' %ProcedureName% (%ProcedureType%)\n' Parameters:%Parameters%\n";
    fields.msErrHdrTmplt = "    On Error GoTo ErrHandler\n";
    fields.msErrFtrTmplt =
        "    Exit %ProcedureType%\nErrHandler:\n"
        "    Err.Raise Err.Number, \"%ModuleName%.%ProcedureName%\", Err.Description\n";
    fields.clock = [] { return std::chrono::system_clock::time_point{}; };
    return fields;
}

// One line per template, without markers: "' header <name>", "' H" and "' F".
inline AddinFields OneLineFields() {
    auto fields = CodegenFields(Markers::Off);
    fields.msProcHdrTmplt = "' header %ProcedureName%\n";
    fields.msErrHdrTmplt = "' H\n";
    fields.msErrFtrTmplt = "' F\n";
    return fields;
}

inline Lines LinesOf(CodeModule& module) {
    Lines lines;
    for (std::int32_t i = 1; i <= module.CountOfLines(); ++i) {
        lines.push_back(module.Lines(i, 1));
    }
    return lines;
}

inline Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The whole module, as the project-wide commands select it: to the start of the line past the
// last one.
inline void SelectAll(CodeModule& module) {
    module.CodePane().SetSelection(1, 1, module.CountOfLines() + 1, 1);
}

// A one-module project: the module and its pane as the commands see them.
class ModuleUnderTest {
public:
    explicit ModuleUnderTest(std::string_view code, vbext_ComponentType type = vbext_ct_StdModule)
        : module_(project_.AddComponent("Module1", type, code).CodeModule()) {}
    // The lines joined by CR LF.
    explicit ModuleUnderTest(const Lines& lines) : ModuleUnderTest(Joined(lines)) {}

    CodeModule& module() { return module_; }
    Lines lines() { return LinesOf(module_); }
    void Select(std::int32_t startLine, std::int32_t startColumn, std::int32_t endLine,
                std::int32_t endColumn) {
        module_.CodePane().SetSelection(startLine, startColumn, endLine, endColumn);
    }

private:
    static std::string Joined(const Lines& lines) {
        std::string text;
        for (const auto& line : lines) {
            text += line + "\r\n";
        }
        return text;
    }

    host::MemoryProject project_;
    CodeModule& module_;
};

}  // namespace brindle::test
