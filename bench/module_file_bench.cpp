// What every module of a project goes through on the threads beside the add-in: checking its
// bytes, loading them into a component, finding its procedures, comparing it with its bytes
// and writing it out again. Realistic generated modules of 3,000 and 30,000 lines.

#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "ProjectGenerator.h"
#include "host/files/ModuleFile.h"

namespace brindle {
namespace {

const std::string& ModuleOf(std::int64_t lines) {
    static std::map<std::int64_t, std::string> modules;
    auto& bytes = modules[lines];
    if (bytes.empty()) {
        bench::Random random(1);
        bytes = bench::GenerateModule(bench::ModuleKind::Class, "cBig", static_cast<int>(lines),
                                      random);
    }
    return bytes;
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->Arg(3000)->Arg(30000);
}

void BM_CheckModule(benchmark::State& state) {
    const auto& bytes = ModuleOf(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(host::CheckModule(bytes, "cBig.cls"));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_CheckModule)->Apply(Sizes);

void BM_ParseModule(benchmark::State& state) {
    const auto& bytes = ModuleOf(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(host::ParseModule(bytes, "cBig.cls", 1252));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ParseModule)->Apply(Sizes);

// The procedure index of a freshly loaded module.
void BM_FindProcedures(benchmark::State& state) {
    const auto& bytes = ModuleOf(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto component = host::ParseModule(bytes, "cBig.cls", 1252);
        state.ResumeTiming();
        benchmark::DoNotOptimize(component->Code()->DeclaredMembers().size());
        state.PauseTiming();
        component.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FindProcedures)->Apply(Sizes);

void BM_SerializesTo(benchmark::State& state) {
    const auto& bytes = ModuleOf(state.range(0));
    const auto component = host::ParseModule(bytes, "cBig.cls", 1252);
    for (auto _ : state) {
        benchmark::DoNotOptimize(host::SerializesTo(*component, bytes));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_SerializesTo)->Apply(Sizes);

void BM_Serialize(benchmark::State& state) {
    const auto& bytes = ModuleOf(state.range(0));
    const auto component = host::ParseModule(bytes, "cBig.cls", 1252);
    for (auto _ : state) {
        benchmark::DoNotOptimize(component->Serialize());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_Serialize)->Apply(Sizes);

}  // namespace
}  // namespace brindle

BENCHMARK_MAIN();
