// The language server's diagnostics after a change of the corpus's largest module, a user
// control of 29,000 lines: the editor's text converted to the code page, loaded, checked and
// published, as on each keystroke.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "host/vb6/CodePage.h"
#include "lsp/Server.h"
#include "support/TestPaths.h"

namespace brindle {
namespace {

std::filesystem::path LargestControl() {
    return test::CorpusDir() / "Kr00l__VBFLXGRD" / "Standard EXE Version" / "Builds" /
           "VBFlexGrid" / "VBFlexGrid.ctl";
}

// Initializes the server and opens the file with `text` in it; the file's URI.
std::string Open(lsp::Server& server, const std::filesystem::path& file, const std::string& text) {
    const std::string uri = lsp::UriOfPath(file);
    server.Handle({{"jsonrpc", "2.0"},
                   {"id", 1},
                   {"method", "initialize"},
                   {"params", {{"capabilities", lsp::Json::object()}}}});
    server.Handle({{"jsonrpc", "2.0"},
                   {"method", "textDocument/didOpen"},
                   {"params", {{"textDocument", {{"uri", uri}, {"text", text}}}}}});
    return uri;
}

void BM_DiagnosticsAfterChange(benchmark::State& state) {
    const auto file = LargestControl();
    const std::string text = host::ToUtf8(test::ReadBytes(file), 1252);
    std::size_t published = 0;
    std::size_t bytes = 0;
    // As the loop sends it: serialized.
    lsp::Server server([&](const lsp::Json& message) {
        bytes = message.dump().size();
        if (message.value("method", "") == "textDocument/publishDiagnostics") {
            published = message["params"]["diagnostics"].size();
        }
    });
    const std::string uri = Open(server, file, text);
    // Typing at the end of a comment line, and taking it back.
    const std::string typed = text + "' x\r\n";
    int version = 1;
    for (auto _ : state) {
        ++version;
        lsp::Json change = {{"text", version % 2 == 0 ? typed : text}};
        lsp::Json params = {{"textDocument", {{"uri", uri}, {"version", version}}},
                            {"contentChanges", lsp::Json::array({change})}};
        server.Handle(
            {{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"}, {"params", params}});
    }
    state.counters["diagnostics"] = static_cast<double>(published);
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_DiagnosticsAfterChange)->Unit(benchmark::kMillisecond);

// What the editor asks for as the cursor comes to a line of a procedure: every action, each
// worked out on the module's text.
void BM_CodeActionsAtProcedure(benchmark::State& state) {
    const auto file = LargestControl();
    const std::string text = host::ToUtf8(test::ReadBytes(file), 1252);
    std::size_t offered = 0;
    lsp::Server server([&](const lsp::Json& message) {
        if (message.contains("result") && message["result"].is_array()) {
            offered = message["result"].size();
        }
    });
    const std::string uri = Open(server, file, text);
    const lsp::Json at = {{"line", 15000}, {"character", 0}};
    const lsp::Json params = {{"textDocument", {{"uri", uri}}},
                              {"range", {{"start", at}, {"end", at}}},
                              {"context", {{"diagnostics", lsp::Json::array()}}}};
    for (auto _ : state) {
        server.Handle({{"jsonrpc", "2.0"},
                       {"id", 2},
                       {"method", "textDocument/codeAction"},
                       {"params", params}});
    }
    state.counters["actions"] = static_cast<double>(offered);
}
BENCHMARK(BM_CodeActionsAtProcedure)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brindle

BENCHMARK_MAIN();
