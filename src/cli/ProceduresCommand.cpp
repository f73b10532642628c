#include "cli/ProceduresCommand.h"

#include <string>
#include <vector>

#include "cli/Inputs.h"
#include "cli/StoredCodePage.h"
#include "cli/Table.h"
#include "host/vb6/CodePage.h"

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
    // Each procedure's own lines: a name defined twice (whole procedures under #If and #Else)
    // shows both definitions, where a lookup by name finds the first.
    for (const auto& info : code.Procedures()) {
        const auto& proc = info.procedure;
        rows.push_back({host::ToUtf8(proc.name, component.CodePage()), KindName(proc.kind),
                        std::to_string(proc.startLine), std::to_string(proc.bodyLine),
                        std::to_string(info.lastLine - proc.startLine + 1),
                        proc.endLine > 0 ? std::to_string(proc.endLine) : "-",
                        MemberTypeName(info.memberType)});
    }
    PrintColumns(rows, io.out);
    return 0;
}

}  // namespace brindle::cli
