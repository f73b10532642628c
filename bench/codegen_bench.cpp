// The additions over a whole generated 30,000-line module, and their removal.
// Figures come from a Release build.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "../tests/codegen/codegen_support.h"
#include "GeneratedModule.h"
#include "analysis/SelectedProcs.h"
#include "codegen/ModuleCommands.h"
#include "codegen/Refresh.h"
#include "host/ide/MemoryProject.h"
#include "templates/Expansion.h"

namespace brindle {
namespace {

// A generated module of at least `lines` lines, made once per size.
const std::string& GeneratedModuleOf(std::int64_t lines) {
    static std::map<std::int64_t, std::string> modules;
    auto& code = modules[lines];
    if (code.empty()) {
        int procedures = static_cast<int>(lines / 8);
        code = bench::GeneratedModule(procedures);
        while (std::count(code.begin(), code.end(), '\n') < lines) {
            procedures += procedures / 10 + 1;
            code = bench::GeneratedModule(procedures);
        }
    }
    return code;
}

void SelectWholeModule(CodeModule& module) {
    module.CodePane().SetSelection(1, 1, module.CountOfLines() + 1, 1);
}

void AddEverything(const AddinFields& fields, CodeModule& module) {
    AddModuleHeader(fields, module);
    SelectWholeModule(module);
    AddHeaders(fields, module);
    AddErrHandlers(fields, module, nullptr);
}

// Runs `step` on a fresh module per iteration; `prepare` runs untimed before it.
template <class Prepare, class Step>
void RunOnFreshModules(benchmark::State& state, Prepare prepare, Step step) {
    std::int32_t lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto project = std::make_unique<host::MemoryProject>();
        auto& module =
            project->AddComponent("Large", vbext_ct_StdModule, GeneratedModuleOf(state.range(0)))
                .CodeModule();
        lines = module.CountOfLines();
        prepare(module);
        state.ResumeTiming();
        step(module);
        benchmark::DoNotOptimize(module.CountOfLines());
        state.PauseTiming();
        project.reset();
        state.ResumeTiming();
    }
    state.counters["lines"] = lines;
    state.SetComplexityN(lines);
}

// 30,000 lines, and smaller modules to show how the cost grows with the size.
void Sizes(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(7500)->Arg(15000)->Arg(30000);
}

void BM_AddHeaders(benchmark::State& state) {
    const auto fields = test::CodegenFields(test::Markers::On);
    RunOnFreshModules(state, SelectWholeModule,
                      [&](CodeModule& module) { AddHeaders(fields, module); });
}
BENCHMARK(BM_AddHeaders)->Apply(Sizes);

void BM_AddErrHandlers(benchmark::State& state) {
    const auto fields = test::CodegenFields(test::Markers::On);
    RunOnFreshModules(state, SelectWholeModule,
                      [&](CodeModule& module) { AddErrHandlers(fields, module, nullptr); });
}
BENCHMARK(BM_AddErrHandlers)->Apply(Sizes);

void BM_AddModuleHeaderHeadersAndErrHandlers(benchmark::State& state) {
    const auto fields = test::CodegenFields(test::Markers::On);
    RunOnFreshModules(
        state, [](CodeModule&) {}, [&](CodeModule& module) { AddEverything(fields, module); });
}
BENCHMARK(BM_AddModuleHeaderHeadersAndErrHandlers)->Apply(Sizes);

// The list of procedures a whole-module selection touches, as AddHeaders and AddErrHandlers
// build it: one question per procedure, not one per line.
void BM_GetSelectedProcs(benchmark::State& state) {
    RunOnFreshModules(state, SelectWholeModule, [](CodeModule& module) {
        benchmark::DoNotOptimize(GetSelectedProcs(module));
    });
}
BENCHMARK(BM_GetSelectedProcs)->Apply(Sizes);

// A procedure header for every procedure, expanded but not inserted: keywords, the declaration
// read with its continuations, the text in the module's code page.
void BM_BuildCode(benchmark::State& state) {
    const auto fields = test::CodegenFields(test::Markers::On);
    RunOnFreshModules(state, SelectWholeModule, [&](CodeModule& module) {
        for (const auto& proc : GetSelectedProcs(module)) {
            const auto line = module.ProcBodyLine(proc.gsProcName, proc.geProcKind);
            const auto member = module.Members().Item(proc.gsProcName);
            benchmark::DoNotOptimize(
                BuildCode(fields, fields.msProcHdrTmplt, module, member.get(), line));
        }
    });
}
BENCHMARK(BM_BuildCode)->Apply(Sizes);

// Times `removal` over a whole module that holds everything the additions put in.
void RunRemoval(benchmark::State& state,
                void (*removal)(const AddinFields&, CodeModule&, Diagnostics*)) {
    const auto fields = test::CodegenFields(test::Markers::On);
    RunOnFreshModules(
        state,
        [&](CodeModule& module) {
            AddEverything(fields, module);
            SelectWholeModule(module);
        },
        [&](CodeModule& module) { removal(fields, module, nullptr); });
}

void BM_RemoveCode(benchmark::State& state) {
    RunRemoval(state, RemoveCode);
}
BENCHMARK(BM_RemoveCode)->Apply(Sizes);

void BM_RemoveCodeMarkers(benchmark::State& state) {
    RunRemoval(state, RemoveCodeMarkers);
}
BENCHMARK(BM_RemoveCodeMarkers)->Apply(Sizes);

// Add All again over a module that has everything already, with Skip Existing: each of its
// three commands maps the generated code and adds nothing.
void BM_AddEverythingAgainSkippingExisting(benchmark::State& state) {
    const auto fields = test::CodegenFields(test::Markers::On);
    auto skipping = fields;
    skipping.mbSkipExisting = true;
    RunOnFreshModules(
        state, [&](CodeModule& module) { AddEverything(fields, module); },
        [&](CodeModule& module) { AddEverything(skipping, module); });
}
BENCHMARK(BM_AddEverythingAgainSkippingExisting)->Apply(Sizes);

// Every block of a whole module rewritten for another author, the rest of each kept.
void BM_RefreshForAnotherAuthor(benchmark::State& state) {
    auto fields = test::CodegenFields(test::Markers::On);
    fields.msProcHdrTmplt += "' Author: %Author%, %Date%\n";
    auto other = fields;
    other.msAuthor = "Another Author";
    RunOnFreshModules(
        state, [&](CodeModule& module) { AddEverything(fields, module); },
        [&](CodeModule& module) { RefreshModule(other, module, nullptr); });
}
BENCHMARK(BM_RefreshForAnotherAuthor)->Apply(Sizes);

}  // namespace
}  // namespace brindle

BENCHMARK_MAIN();
