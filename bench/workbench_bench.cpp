// A code window on a module of 30,000 lines, on the offscreen platform: a keystroke, and an
// add-in command over the whole module followed by its Undo, with the editor following both;
// and opening a generated project of about 480 modules (500,000 lines), Add All over it and
// that command's Undo.

#include <benchmark/benchmark.h>

#include <Qsci/qsciscintilla.h>
#include <QApplication>

#include "GeneratedModule.h"
#include "ProjectGenerator.h"
#include "addin/Commands.h"
#include "support/TestPaths.h"
#include "workbench/CodeWindow.h"
#include "workbench/MainWindow.h"

namespace brindle::workbench {
namespace {

struct Bench {
    Bench() {
        std::string text = "Attribute VB_Name = \"Big\"\r\nOption Explicit\r\n";
        text += bench::GeneratedModule(3900);
        test::WriteBytes(dir.path() / "Big.bas", text);
        window.Open({QString::fromStdString((dir.path() / "Big.bas").string())});
        window.Host().Load(false);
        window.show();
        code = window.ActiveCodeWindow();
    }

    test::TempDir dir;
    WorkbenchSettings settings{QString::fromStdString((dir.path() / "workbench.ini").string())};
    MainWindow window{settings};
    CodeWindow* code = nullptr;
};

void Keystroke(benchmark::State& state) {
    Bench bench;
    int index = 0;
    for (auto _ : state) {
        bench.code->Editor().insertAt(QStringLiteral("x"), 15000, index++);
        QCoreApplication::processEvents();
    }
    state.counters["lines"] = bench.code->Editor().lines();
}
BENCHMARK(Keystroke)->Unit(benchmark::kMillisecond);

void ErrorHandlersOverTheModuleThenUndo(benchmark::State& state) {
    Bench bench;
    for (auto _ : state) {
        bench.code->Editor().selectAll(true);
        bench.window.Host().Click(CommandId::AddErrorHandlers);
        bench.window.Undo();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(ErrorHandlersOverTheModuleThenUndo)->Unit(benchmark::kMillisecond);

void OpenProject(benchmark::State& state) {
    test::TempDir dir;
    const auto summary =
        bench::WriteProject(dir.path() / "project", bench::GenerateProject(500000, 1));
    const auto project = QString::fromStdString((dir.path() / "project" / "Project.vbp").string());
    WorkbenchSettings settings{QString::fromStdString((dir.path() / "workbench.ini").string())};
    for (auto _ : state) {
        MainWindow window{settings};
        window.show();
        window.Open({project});
        QCoreApplication::processEvents();
        state.PauseTiming();
        window.CloseProject();
        state.ResumeTiming();
    }
    state.counters["modules"] = summary.modules;
}
BENCHMARK(OpenProject)->Unit(benchmark::kMillisecond)->Iterations(3);

// Add All over the same project, and its Undo in every module as one step: each timed alone.
void AddAllOverTheProjectThenUndo(benchmark::State& state) {
    test::TempDir dir;
    bench::WriteProject(dir.path() / "project", bench::GenerateProject(500000, 1));
    WorkbenchSettings settings{QString::fromStdString((dir.path() / "workbench.ini").string())};
    MainWindow window{settings};
    window.show();
    window.Open({QString::fromStdString((dir.path() / "project" / "Project.vbp").string())});
    window.Host().Load(false);
    QCoreApplication::processEvents();
    const auto lines = [&window] {
        std::int64_t count = 0;
        for (const auto& module : window.Work().Projects().front()->modules) {
            if (const auto* code = module->Component().Code()) {
                count += code->CountOfLines();
            }
        }
        return count;
    };
    const auto before = lines();
    std::int64_t added = 0;
    const bool undo = state.range(0) != 0;
    for (auto _ : state) {
        if (undo) {
            state.PauseTiming();
        }
        window.Host().Windows().Answers().SetNextAnswer(vbYes);
        window.Host().Click(CommandId::AddAll);
        QCoreApplication::processEvents();
        added = lines() - before;
        if (undo) {
            state.ResumeTiming();
        } else {
            state.PauseTiming();
        }
        window.Undo();
        QCoreApplication::processEvents();
        if (!undo) {
            state.ResumeTiming();
        }
    }
    state.counters["added"] = static_cast<double>(added);
    state.counters["undone"] = static_cast<double>(lines() == before);
}
BENCHMARK(AddAllOverTheProjectThenUndo)
    ->ArgName("undo")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace brindle::workbench

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
