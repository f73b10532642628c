// The procedure index of a large module: questions over every line, and an edit followed by a
// question.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "host/ide/MemoryProject.h"

namespace {

using brindle::vbext_pk_Proc;
using brindle::vbext_ProcKind;
using brindle::host::MemoryCodeModule;
using brindle::host::MemoryProject;

// About `lines` lines: a declarations section, then procedures of twelve lines each.
std::string GeneratedModule(int lines) {
    std::string text = "Option Explicit\r\nPrivate mCount As Long\r\n\r\n";
    int procedures = (lines - 3) / 12;
    for (int i = 0; i < procedures; ++i) {
        std::string name = "Procedure" + std::to_string(i);
        text += "' " + name + ": does its part, \"quoted\"\r\n";
        text += "Public Function " + name + "(ByVal value As Long, _\r\n";
        text += "                 Optional ByVal text As String = \"End Function\") As Long\r\n";
        text += "    Dim result As Long: result = value * 2 ' End Function\r\n";
        text += "    If result > 10 Then\r\n";
        text += "        result = result - 1\r\n";
        text += "    Else\r\n";
        text += "        mCount = mCount + 1\r\n";
        text += "    End If\r\n";
        text += "    " + name + " = result\r\n";
        text += "End Function\r\n";
        text += "\r\n";
    }
    return text;
}

struct Fixture {
    MemoryProject project;
    MemoryCodeModule& module;
    Fixture()
        : module(*project.AddComponent("Big", brindle::vbext_ct_StdModule, GeneratedModule(30000))
                      .Code()) {}
};

// Edits line 1 with `line` and takes it out again, then asks for every line's procedure. A
// comment leaves the index to follow the edit; a statement in the declarations makes it rescan.
void EditThenProcOfLineOverEveryLine(benchmark::State& state, std::string_view line) {
    Fixture f;
    vbext_ProcKind kind = vbext_pk_Proc;
    for (auto _ : state) {
        f.module.InsertLines(1, line);
        f.module.DeleteLines(1, 1);
        for (std::int32_t l = 1; l <= f.module.CountOfLines(); ++l) {
            benchmark::DoNotOptimize(f.module.ProcOfLine(l, kind));
        }
    }
    state.counters["lines"] = f.module.CountOfLines();
}

void ProcOfLineOverEveryLine(benchmark::State& state) {
    EditThenProcOfLineOverEveryLine(state, "' invalidates nothing but moves everything");
}
BENCHMARK(ProcOfLineOverEveryLine)->Unit(benchmark::kMillisecond);

// A fresh index each time: the whole module scanned, then every line asked for.
void ScanThenProcOfLineOverEveryLine(benchmark::State& state) {
    EditThenProcOfLineOverEveryLine(state, "Dim scanned As Long");
}
BENCHMARK(ScanThenProcOfLineOverEveryLine)->Unit(benchmark::kMillisecond);

// What code generation does per procedure: insert lines into a body, then ask again.
void InsertLinesThenProcBodyLine(benchmark::State& state) {
    Fixture f;
    std::int32_t at = f.module.ProcBodyLine("Procedure1250", vbext_pk_Proc) + 2;
    for (auto _ : state) {
        f.module.InsertLines(at, "    On Error GoTo ErrHandler\n");
        benchmark::DoNotOptimize(f.module.ProcBodyLine("Procedure2000", vbext_pk_Proc));
        state.PauseTiming();
        f.module.DeleteLines(at, 2);
        state.ResumeTiming();
    }
    state.counters["lines"] = f.module.CountOfLines();
}
BENCHMARK(InsertLinesThenProcBodyLine)->Unit(benchmark::kMicrosecond);

// An insertion the index cannot follow (a new procedure), so the next question rescans.
void InsertProcedureThenProcBodyLine(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.module.InsertLines(f.module.CountOfLines() + 1, "Sub Added()\r\nEnd Sub");
        benchmark::DoNotOptimize(f.module.ProcBodyLine("Procedure2000", vbext_pk_Proc));
        state.PauseTiming();
        f.module.DeleteLines(f.module.CountOfLines() - 1, 2);
        f.module.ProcBodyLine("Procedure2000", vbext_pk_Proc);
        state.ResumeTiming();
    }
}
BENCHMARK(InsertProcedureThenProcBodyLine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
