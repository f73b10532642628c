#include "checks/Properties.h"

namespace brindle::fuzz {

void Expect(bool holds, const std::string& what) {
    if (!holds) {
        throw PropertyBroken(what);
    }
}

const std::vector<Target>& Targets() {
    static const std::vector<Target> targets = {
        {"module_file", ModuleFileRoundTrip},
        {"procedure_index", ProcedureIndex},
        {"declarations", Declarations},
        {"templates", Templates},
        {"team_files", TeamFiles},
        {"select", SelectArgument},
        {"addin_round_trip", AddinRoundTrip},
        {"markers", MarkerRemoval},
        {"office", OfficeFormats},
    };
    return targets;
}

const Target* FindTarget(std::string_view name) {
    for (const Target& target : Targets()) {
        if (target.name == name) {
            return &target;
        }
    }
    return nullptr;
}

}  // namespace brindle::fuzz
