#include "workbench/Skipped.h"

#include "codegen/GeneratedCode.h"

namespace brindle::workbench {

Skipped FindSkipped(const AddinFields& fields, host::MemoryComponent& component) {
    Skipped skipped;
    if (component.Code() == nullptr) {
        return skipped;
    }
    CodeModule& module = component.CodeModule();
    if (!MayExclude(fields, module)) {
        return skipped;
    }
    const std::vector<ProcSpan> procedures = ModuleProcedures(module);
    const Exclusions exclusions = FindExclusions(fields, module, procedures);
    skipped.module = exclusions.module;
    if (skipped.module) {
        return skipped;
    }
    for (std::size_t i = 0; i < procedures.size() && i < exclusions.procs.size(); ++i) {
        if (const auto& why = exclusions.procs[i]) {
            const ProcSpan& proc = procedures[i];
            skipped.procedures.push_back(
                {module.ToUnicode(proc.name), proc.kind, proc.bodyLine, *why});
        }
    }
    return skipped;
}

}  // namespace brindle::workbench
