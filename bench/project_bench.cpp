// The project commands in one process, as the command line runs them, on generated projects:
// surveying the files, streaming the modules past the add-in and writing them back. Each
// iteration of a command that writes works on a fresh copy of the project, made untimed; check
// and add-all --skip-existing, which only read, work on the project as add-all left it. The
// settings go to a temporary file; the templates are the default ones.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "ProjectGenerator.h"
#include "cli/args/CommandLine.h"
#include "cli/commands/Run.h"

namespace fs = std::filesystem;

namespace brindle {
namespace {

// A folder of the benchmark's own, removed at the end.
class Scratch {
public:
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "brindle-bench-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        ::setenv("BRINDLE_SETTINGS", (root_ / "settings.ini").c_str(), 1);
    }
    ~Scratch() {
        std::error_code error;
        fs::remove_all(root_, error);
    }
    const fs::path& Root() const { return root_; }

private:
    fs::path root_;
};

Scratch& TheScratch() {
    static Scratch scratch;
    return scratch;
}

int RunCommand(cli::Command command, const fs::path& project, bool skipExisting = false) {
    cli::Request request;
    request.command = command;
    request.skipExisting = skipExisting;
    request.files = {project.string()};
    request.yes = true;
    request.quiet = true;
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    return cli::Run(request, {in, out, err, false});
}

// The generated project of about `lines` lines, and the same after add-all.
const fs::path& ProjectOf(std::int64_t lines, bool added) {
    static std::map<std::pair<std::int64_t, bool>, fs::path> projects;
    auto& folder = projects[{lines, added}];
    if (folder.empty()) {
        folder = TheScratch().Root() / (std::to_string(lines) + (added ? "-added" : ""));
        if (added) {
            fs::copy(ProjectOf(lines, false), folder, fs::copy_options::recursive);
            RunCommand(cli::Command::AddAll, folder / "Project.vbp");
        } else {
            bench::WriteProject(folder, bench::GenerateProject(lines, 1));
        }
    }
    return folder;
}

// A command that writes works on a fresh copy each time; one that only reads (check, which tells
// of its findings with exit status 1, and add-all --skip-existing) on the project itself.
void TimeCommand(benchmark::State& state, cli::Command command, bool onAdded, bool reads = false,
                 bool skipExisting = false) {
    const auto& source = ProjectOf(state.range(0), onAdded);
    const auto copy = TheScratch().Root() / "copy";
    for (auto _ : state) {
        if (!reads) {
            state.PauseTiming();
            fs::remove_all(copy);
            fs::copy(source, copy, fs::copy_options::recursive);
            state.ResumeTiming();
        }
        const auto project = (reads ? source : copy) / "Project.vbp";
        if (RunCommand(command, project, skipExisting) > (reads ? 1 : 0)) {
            state.SkipWithError("the command failed");
        }
    }
    state.counters["lines"] = static_cast<double>(state.range(0));
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(10000)->Arg(100000);
}

void BM_AddAll(benchmark::State& state) {
    TimeCommand(state, cli::Command::AddAll, false);
}
BENCHMARK(BM_AddAll)->Apply(Sizes)->UseRealTime();

void BM_RemoveMarkersAll(benchmark::State& state) {
    TimeCommand(state, cli::Command::RemoveMarkersAll, true);
}
BENCHMARK(BM_RemoveMarkersAll)->Apply(Sizes)->UseRealTime();

void BM_RemoveCodeAll(benchmark::State& state) {
    TimeCommand(state, cli::Command::RemoveCodeAll, true);
}
BENCHMARK(BM_RemoveCodeAll)->Apply(Sizes)->UseRealTime();

void BM_Check(benchmark::State& state) {
    TimeCommand(state, cli::Command::Check, true, true);
}
BENCHMARK(BM_Check)->Apply(Sizes)->UseRealTime();

void BM_AddAllSkipExisting(benchmark::State& state) {
    TimeCommand(state, cli::Command::AddAll, true, true, true);
}
BENCHMARK(BM_AddAllSkipExisting)->Apply(Sizes)->UseRealTime();

}  // namespace
}  // namespace brindle

BENCHMARK_MAIN();
