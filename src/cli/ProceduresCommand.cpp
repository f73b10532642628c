#include "cli/ProceduresCommand.h"

#include <string>
#include <vector>

#include "cli/Inputs.h"
#include "cli/StoredCodePage.h"
#include "cli/Table.h"
#include "host/CodePage.h"

namespace brindle::cli {
namespace {

const char* KindName(vbext_ProcKind kind) {
    switch (kind) {
        case vbext_pk_Let:
            return "Let";
        case vbext_pk_Set:
            return "Set";
        case vbext_pk_Get:
            return "Get";
        case vbext_pk_Proc:
            break;
    }
    return "Proc";
}

const char* MemberTypeName(vbext_MemberType type) {
    return type == vbext_mt_Property ? "Property" : "Method";
}

}  // namespace

int RunProcedures(const Request& request, const Streams& io) {
    const int codePage = CodePageOf(request);
    CheckCodePage(codePage);
    auto inputs = LoadModules(request.files, codePage);
    auto& component = *inputs.projects.front().modules.front().component;
    if (component.Code() == nullptr) {
        throw InputError(inputs.projects.front().modules.front().label + ": has no code");
    }
    auto& code = *component.Code();
    std::vector<std::vector<std::string>> rows = {
        {"Name", "Kind", "Start", "Body", "Lines", "End", "Member"}};
    for (const auto& info : code.Procedures()) {
        const auto& proc = info.procedure;
        const auto end = code.ProcEndLine(proc.name, proc.kind);
        rows.push_back({host::ToUtf8(proc.name, component.CodePage()), KindName(proc.kind),
                        std::to_string(code.ProcStartLine(proc.name, proc.kind)),
                        std::to_string(code.ProcBodyLine(proc.name, proc.kind)),
                        std::to_string(code.ProcCountLines(proc.name, proc.kind)),
                        end > 0 ? std::to_string(end) : "-", MemberTypeName(info.memberType)});
    }
    PrintColumns(rows, io.out);
    return 0;
}

}  // namespace brindle::cli
