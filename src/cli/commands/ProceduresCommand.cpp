#include "cli/commands/ProceduresCommand.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "cli/commands/StoredCodePage.h"
#include "cli/report/Table.h"
#include "cli/stream/Inputs.h"
#include "host/files/ModuleFile.h"
#include "host/vb6/CodePage.h"

namespace brindle::cli {
namespace {

// One procedure as the command shows it; lines of the code, then of the file.
struct Listed {
    std::string name;  // UTF-8
    std::string kind;
    std::string member;
    std::int32_t start = 0;
    std::int32_t body = 0;
    std::int32_t lines = 0;
    std::int32_t end = 0;  // 0: no End statement of its kind
    std::int32_t fileStart = 0;
    std::int32_t fileBody = 0;
    std::int32_t fileEnd = 0;
};

struct ListedModule {
    std::string file;
    std::vector<Listed> procedures;
};

const char* KindName(const host::Procedure& proc) {
    switch (proc.kind) {
        case vbext_pk_Let:
            return "Let";
        case vbext_pk_Set:
            return "Set";
        case vbext_pk_Get:
            return "Get";
        case vbext_pk_Proc:
            break;
    }
    return proc.keyword == host::ProcKeyword::Function ? "Function" : "Sub";
}

// Each procedure's own lines: a name defined twice (whole procedures under #If and #Else)
// shows both definitions, where a lookup by name finds the first.
ListedModule List(const LoadedModule& module) {
    auto& component = *module.component;
    if (component.Code() == nullptr) {
        throw InputError(module.label + ": has no code");
    }
    const host::FileLines fileLines(component);
    ListedModule listed{module.label, {}};
    for (const auto& info : component.Code()->Procedures()) {
        const auto& proc = info.procedure;
        const auto end = proc.endLine;
        listed.procedures.push_back(
            {host::ToUtf8(proc.name, component.CodePage()), KindName(proc),
             info.memberType == vbext_mt_Property ? "Property" : "Method", proc.startLine,
             proc.bodyLine, info.lastLine - proc.startLine + 1, end,
             fileLines.FileLineOf(proc.startLine), fileLines.FileLineOf(proc.bodyLine),
             end > 0 ? fileLines.FileLineOf(end) : 0});
    }
    return listed;
}

std::string LineText(std::int32_t line) {
    return line > 0 ? std::to_string(line) : "-";
}

void PrintTable(const ListedModule& module, std::ostream& out) {
    std::vector<std::vector<std::string>> rows = {{"Name", "Kind", "Start", "Body", "Lines", "End",
                                                   "Member", "File-Start", "File-Body",
                                                   "File-End"}};
    for (const auto& proc : module.procedures) {
        rows.push_back({proc.name, proc.kind, LineText(proc.start), LineText(proc.body),
                        std::to_string(proc.lines), LineText(proc.end), proc.member,
                        LineText(proc.fileStart), LineText(proc.fileBody), LineText(proc.fileEnd)});
    }
    PrintColumns(rows, out);
}

nlohmann::ordered_json ModuleJson(const ListedModule& module) {
    auto procedures = nlohmann::ordered_json::array();
    const auto line = [](std::int32_t number) {
        return number > 0 ? nlohmann::ordered_json(number) : nlohmann::ordered_json(nullptr);
    };
    for (const auto& proc : module.procedures) {
        procedures.push_back({{"name", proc.name},
                              {"kind", proc.kind},
                              {"member", proc.member},
                              {"start", proc.start},
                              {"body", proc.body},
                              {"lines", proc.lines},
                              {"end", line(proc.end)},
                              {"fileStart", proc.fileStart},
                              {"fileBody", proc.fileBody},
                              {"fileEnd", line(proc.fileEnd)}});
    }
    return {{"file", module.file}, {"procedures", procedures}};
}

}  // namespace

int RunProcedures(const Request& request, const Streams& io) {
    const int codePage = CodePageOf(request);
    CheckCodePage(codePage);
    const auto inputs = LoadModules(request.files, codePage);
    const auto& modules = inputs.projects.front().modules;
    std::vector<ListedModule> listed;
    for (const auto& module : modules) {
        listed.push_back(List(module));
    }
    if (request.json) {
        auto documents = nlohmann::ordered_json::array();
        for (const auto& module : listed) {
            documents.push_back(ModuleJson(module));
        }
        io.out << nlohmann::ordered_json{{"modules", documents}}.dump(
                      2, ' ', false, nlohmann::json::error_handler_t::replace)
               << '\n';
        return 0;
    }
    // Several modules: each table under its file's name, as ls does with folders.
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (listed.size() > 1) {
            io.out << (i > 0 ? "\n" : "") << listed[i].file << ":\n";
        }
        PrintTable(listed[i], io.out);
    }
    return 0;
}

}  // namespace brindle::cli
