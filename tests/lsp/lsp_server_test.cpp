// The language server driven by messages in memory, on a copy of the example project; what its
// edits make of a module is compared with what the brindle command writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "cli/cli_support.h"
#include "host/vb6/CodePage.h"
#include "lsp/Framing.h"
#include "lsp/Server.h"
#include "lsp/TextEdits.h"

namespace fs = std::filesystem;

namespace brindle::lsp {
namespace {

using test::ReadBytes;

// A client that answers the server's questions as told and keeps what the server sends.
class Client {
public:
    Client() : server_([this](const Json& message) { sent.push_back(message); }) {}

    Json Request(const std::string& method, const Json& params) {
        const int id = next_++;
        server_.Handle({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
        const auto found = std::find_if(sent.begin(), sent.end(), [&](const Json& message) {
            return !message.contains("method") && message.value("id", Json()) == id;
        });
        return found == sent.end() ? Json() : *found;
    }
    void Notify(const std::string& method, const Json& params) {
        server_.Handle({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
    }
    void Answer(const Json& request, Json result) {
        server_.Handle({{"jsonrpc", "2.0"}, {"id", request["id"]}, {"result", std::move(result)}});
    }
    // The last message of the method that the server sent.
    Json Last(const std::string& method) const {
        for (auto it = sent.rbegin(); it != sent.rend(); ++it) {
            if (it->value("method", "") == method) {
                return *it;
            }
        }
        return {};
    }
    void Initialize(bool utf8) {
        Json capabilities = {{"workspace", {{"applyEdit", true}}}};
        if (utf8) {
            capabilities["general"] = {{"positionEncodings", {"utf-8", "utf-16"}}};
        }
        Request("initialize", {{"capabilities", capabilities}});
        Notify("initialized", Json::object());
    }
    std::vector<Json> sent;

private:
    Server server_;
    int next_ = 1;
};

Json At(std::size_t line, std::size_t character) {
    return {{"line", line}, {"character", character}};
}

std::size_t OffsetOf(const std::string& text, const Json& position) {
    const auto lines = SplitKeepingBreaks(text);
    const auto line = position["line"].get<std::size_t>();
    std::size_t offset = 0;
    for (std::size_t i = 0; i < line && i < lines.size(); ++i) {
        offset += lines[i].size();
    }
    return offset + position["character"].get<std::size_t>();  // UTF-8 positions
}

// The text with the edits applied, as an editor does.
std::string Applied(std::string text, Json edits) {
    std::sort(edits.begin(), edits.end(), [&](const Json& a, const Json& b) {
        return OffsetOf(text, a["range"]["start"]) > OffsetOf(text, b["range"]["start"]);
    });
    for (const auto& edit : edits) {
        const auto start = OffsetOf(text, edit["range"]["start"]);
        const auto end = std::min(OffsetOf(text, edit["range"]["end"]), text.size());
        text.replace(start, end - start, edit["newText"].get<std::string>());
    }
    return text;
}

class LspServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::CopyFolder(test::SourceDir() / "examples", server_ / "Inventory");
        test::CopyFolder(test::SourceDir() / "examples", cli_ / "Inventory");
        client.Initialize(true);
    }

    // Opens the module of the served copy; its text in UTF-8.
    std::string Open(const std::string& name) {
        const auto file = server_ / "Inventory" / name;
        std::string text = host::ToUtf8(ReadBytes(file), 1252);
        client.Notify(
            "textDocument/didOpen",
            {{"textDocument",
              {{"uri", UriOf(name)}, {"languageId", "vb"}, {"version", 1}, {"text", text}}}});
        return text;
    }
    std::string UriOf(const std::string& name) const {
        return UriOfPath(server_ / "Inventory" / name);
    }
    Json Actions(const std::string& name, std::size_t first, std::size_t last,
                 const Json& diagnostics = Json::array()) {
        return client.Request("textDocument/codeAction",
                              {{"textDocument", {{"uri", UriOf(name)}}},
                               {"range",
                                {{"start", {{"line", first}, {"character", 0}}},
                                 {"end", {{"line", last}, {"character", 1}}}}},
                               {"context", {{"diagnostics", diagnostics}}}})["result"];
    }
    // The action's edit of the module applied to `text`, in the module's code page.
    std::string Take(const Json& actions, const std::string& title, const std::string& name,
                     const std::string& text) {
        for (const auto& action : actions) {
            if (action["title"] == title) {
                return host::FromUtf8(Applied(text, action["edit"]["changes"][UriOf(name)]), 1252);
            }
        }
        ADD_FAILURE() << "no action " << title << " in " << actions.dump();
        return {};
    }
    // What the brindle command writes of the module in a copy of its own.
    std::string Brindle(const std::vector<std::string>& args, const std::string& name) {
        const auto run = test::RunBrindle(cli_ / "Inventory", settings_, args);
        EXPECT_NE(run.status, 2) << run.err;
        return ReadBytes(cli_ / "Inventory" / name);
    }

    test::TempDir temp_;
    fs::path server_ = temp_.path() / "server";
    fs::path cli_ = temp_.path() / "cli";
    // The server's and brindle's: ctest names one for each suite.
    fs::path settings_ = std::getenv("BRINDLE_SETTINGS") != nullptr
                             ? test::PathOf(std::getenv("BRINDLE_SETTINGS"))
                             : temp_.path() / "settings.ini";
    Client client;
};

TEST(LspFraming, ServesUntilExitAndRefusesWhatComesOutOfTurn) {
    std::string input;
    for (const Json& message : {
             Json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "textDocument/documentSymbol"}},
             Json{{"jsonrpc", "2.0"}, {"id", 2}, {"method", "initialize"}, {"params", {}}},
             Json{{"jsonrpc", "2.0"}, {"id", 3}, {"method", "no/suchMethod"}},
             Json{{"jsonrpc", "2.0"}, {"id", 5}, {"method", 5}},
             Json{{"jsonrpc", "2.0"}, {"id", 6}, {"method", "textDocument/codeAction"}},
             Json{{"jsonrpc", "2.0"}, {"id", 4}, {"method", "shutdown"}},
             Json{{"jsonrpc", "2.0"}, {"method", "exit"}},
         }) {
        const std::string body = message.dump();
        input += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(Serve(in, out, err), 0);
    EXPECT_EQ(err.str(), "");
    std::istringstream replies(out.str());
    std::vector<Json> got;
    while (const auto body = ReadMessage(replies)) {
        got.push_back(Json::parse(*body));
    }
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0]["error"]["code"], -32002);
    EXPECT_EQ(got[1]["result"]["capabilities"]["positionEncoding"], "utf-16");
    EXPECT_EQ(got[2]["error"]["code"], -32601);
    // A malformed message, and one without what its method needs, are answered; the server
    // goes on.
    EXPECT_EQ(got[3]["error"]["code"], -32600);
    EXPECT_EQ(got[4]["error"]["code"], -32602);
    EXPECT_TRUE(got[5]["result"].is_null());

    // Input that ends without exit ends the server quietly; broken framing says why, in one
    // line.
    std::istringstream none("");
    EXPECT_EQ(Serve(none, out, err), 1);
    EXPECT_EQ(err.str(), "");
    for (const auto& [broken, told] : {
             std::pair{"Content-Length: 40\r\n\r\n{}",
                       "a message cut short: its Content-Length "
                       "is 40 bytes, the input ended after 2"},
             std::pair{"Content-Length: 2x\r\n\r\n{}", "a Content-Length that is no byte count"},
             std::pair{"{\"jsonrpc\": \"2.0\"}", "the input ended inside a message's header"},
         }) {
        std::istringstream cut(broken);
        std::ostringstream said;
        EXPECT_EQ(Serve(cut, out, said), 1) << broken;
        const std::string line = said.str();
        EXPECT_EQ(line.rfind(std::string("brindle: lsp: ") + told, 0), 0u) << line;
        EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
    }
}

TEST(LspTextEdits, TouchOnlyTheLinesThatChangeInTheClientsColumns) {
    const auto one = LineEdits("a\r\nb\r\n", "a\r\nx\r\nb\r\n", PositionEncoding::Utf16);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].text, "x\r\n");
    EXPECT_EQ(one[0].start.line, 1u);
    EXPECT_EQ(one[0].end.line, 1u);
    // The last line without a break ends where its characters do: a character beyond the
    // Basic Multilingual Plane is two units of UTF-16 and four bytes of UTF-8.
    const std::string before = "' \xC3\xA9\r\n' \xF0\x9D\x84\x9E";
    for (const auto& [encoding, width] :
         {std::pair{PositionEncoding::Utf16, 4u}, std::pair{PositionEncoding::Utf8, 6u}}) {
        const auto gone = LineEdits(before, "' \xC3\xA9\r\n", encoding);
        ASSERT_EQ(gone.size(), 1u);
        EXPECT_EQ(gone[0].start.line, 1u);
        EXPECT_EQ(gone[0].end.line, 1u);
        EXPECT_EQ(gone[0].end.character, width);
    }
}

TEST(LspTextEdits, PositionsPastTheirLineOrTheTextAreClampedToItsEnd) {
    // Bytes 0-3 "ab\r\n", 4-13 "' G x\r\n" with G a clef beyond the Basic Multilingual Plane
    // (four bytes, two UTF-16 units), 14-17 "last".
    const std::string text = "ab\r\n' \xF0\x9D\x84\x9E x\r\nlast";
    constexpr auto kUtf16 = PositionEncoding::Utf16;
    constexpr auto kUtf8 = PositionEncoding::Utf8;
    struct Case {
        Position position;
        PositionEncoding encoding;
        std::size_t offset;
    };
    for (const auto& [position, encoding, offset] : {
             Case{{0, 2}, kUtf16, 2},                           // not into the line break
             Case{{0, 9}, kUtf16, 2},                           // past the line's end
             Case{{1, 4}, kUtf16, 10},                          // after the clef
             Case{{1, 6}, kUtf8, 10}, Case{{1, 3}, kUtf16, 6},  // inside the clef: its start
             Case{{1, 4}, kUtf8, 6}, Case{{1, 99}, kUtf8, 12},
             Case{{2, 4}, kUtf16, 18},  // the end of the last line
             Case{{7, 0}, kUtf16, 18},  // past the last line
         }) {
        EXPECT_EQ(OffsetOf(text, position, encoding), offset)
            << position.line << ":" << position.character;
    }
}

TEST_F(LspServerTest, DiagnosticsTellCheckFindingsAndTextTheCodePageLacks) {
    const std::string text = Open("modMain.bas");
    const Json diagnostics =
        client.Last("textDocument/publishDiagnostics")["params"]["diagnostics"];
    std::vector<std::string> rules;
    for (const auto& diagnostic : diagnostics) {
        EXPECT_EQ(diagnostic["source"], "brindle");
        rules.push_back(diagnostic["code"]);
    }
    EXPECT_EQ(std::count(rules.begin(), rules.end(), "module-header"), 1);
    EXPECT_EQ(std::count(rules.begin(), rules.end(), "handler"), 5) << diagnostics.dump();
    // Sub Main on the file's line 32.
    EXPECT_EQ(diagnostics[1]["range"]["start"]["line"], 31);
    EXPECT_EQ(diagnostics[1]["message"], "Sub Main has no marked procedure header");

    // A character that Windows-1252 lacks: told at its line with how to set another code page,
    // never written as "?".
    client.Notify("textDocument/didChange",
                  {{"textDocument", {{"uri", UriOf("modMain.bas")}, {"version", 2}}},
                   {"contentChanges",
                    {{{"range", {{"start", At(33, 0)}, {"end", At(33, 0)}}},
                      {"text", "    ' \xE2\x88\x9A\r\n"}}}}});
    const Json told = client.Last("textDocument/publishDiagnostics")["params"]["diagnostics"];
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0]["code"], "codepage");
    EXPECT_EQ(told[0]["range"]["start"]["line"], 33);
    EXPECT_NE(told[0]["message"].get<std::string>().find(
                  "codePage, by Code Page=NNN under [Command Line] in the team's brindle.ini, or "
                  "by brindle options --codepage NNN"),
              std::string::npos)
        << told[0]["message"];
    EXPECT_TRUE(Actions("modMain.bas", 31, 31).empty());

    // A module that the project's .brindleignore leaves out is left alone here too, and so is
    // one of no project that the .brindleignore nearest it leaves out.
    test::WriteBytes(server_ / "Inventory" / ".brindleignore", "frmMain.frm\nScratch.bas\n");
    test::WriteBytes(server_ / "Inventory" / "Scratch.bas",
                     "Attribute VB_Name = \"Scratch\"\r\nSub Go()\r\nEnd Sub\r\n");
    for (const std::string module : {"frmMain.frm", "Scratch.bas"}) {
        Open(module);
        EXPECT_TRUE(client.Last("textDocument/publishDiagnostics")["params"]["diagnostics"].empty())
            << module;
        EXPECT_TRUE(Actions(module, 0, 40).empty()) << module;
    }
}

TEST_F(LspServerTest, EachActionWritesWhatTheCommandWrites) {
    const std::string text = Open("modMain.bas");
    const Json diagnostics =
        client.Last("textDocument/publishDiagnostics")["params"]["diagnostics"];
    const auto at = [&](const std::string& rule, std::size_t line) {
        for (const auto& diagnostic : diagnostics) {
            if (diagnostic["code"] == rule && diagnostic["range"]["start"]["line"] == line) {
                return Json::array({diagnostic});
            }
        }
        return Json::array();
    };
    // LoadDefaults on the file's line 46.
    EXPECT_EQ(
        Take(Actions("modMain.bas", 45, 45, at("handler", 45)),
             "Add an error handler to this procedure", "modMain.bas", text),
        Brindle({"add-error-handlers", "modMain.bas", "--proc", "LoadDefaults"}, "modMain.bas"));
    fs::remove_all(cli_ / "Inventory");
    test::CopyFolder(test::SourceDir() / "examples", cli_ / "Inventory");

    // Everything in the module, then the code taken out of a selection again.
    const std::string all = Take(Actions("modMain.bas", 0, 0),
                                 "Add the module header, headers and error handlers to the module",
                                 "modMain.bas", text);
    Brindle({"add-module-header", "modMain.bas"}, "modMain.bas");
    Brindle({"add-headers", "modMain.bas"}, "modMain.bas");
    EXPECT_EQ(all, Brindle({"add-error-handlers", "modMain.bas"}, "modMain.bas"));
    const std::string utf8 = host::ToUtf8(all, 1252);
    client.Notify("textDocument/didChange",
                  {{"textDocument", {{"uri", UriOf("modMain.bas")}, {"version", 2}}},
                   {"contentChanges", {{{"text", utf8}}}}});
    EXPECT_EQ(
        Take(Actions("modMain.bas", 40, 90), "Remove the code Brindle added in the selection",
             "modMain.bas", utf8),
        Brindle({"remove-code", "modMain.bas", "--select", "41-91", "--lines", "file", "--yes"},
                "modMain.bas"));

    // The procedures as the code window lists them, the marked blocks folded.
    const Json symbols =
        client.Request("textDocument/documentSymbol",
                       {{"textDocument", {{"uri", UriOf("modMain.bas")}}}})["result"];
    ASSERT_EQ(symbols.size(), 5u);
    EXPECT_EQ(symbols[0]["name"], "ElapsedSince");
    EXPECT_EQ(symbols[4]["detail"], "Sub Main");
    const Json folds = client.Request(
        "textDocument/foldingRange", {{"textDocument", {{"uri", UriOf("modMain.bas")}}}})["result"];
    EXPECT_EQ(folds.size(), 1u + 5 + 5 * 2) << folds.dump();
}

TEST_F(LspServerTest, RangedChangesApplyInOrderAndOneThatCannotBePlacedWaitsForTheWholeText) {
    std::string text = Open("modMain.bas");
    const auto change = [&](const Json& changes) {
        client.Notify("textDocument/didChange",
                      {{"textDocument", {{"uri", UriOf("modMain.bas")}, {"version", 2}}},
                       {"contentChanges", changes}});
    };
    const auto ranged = [](Json start, Json end, const std::string& with) {
        return Json{{"range", {{"start", std::move(start)}, {"end", std::move(end)}}},
                    {"text", with}};
    };
    const auto diagnostics = [&] {
        return client.Last("textDocument/publishDiagnostics")["params"]["diagnostics"];
    };
    // Each change in the text the one before made; past a line's end, and the text's, clamped.
    change({ranged(At(33, 0), At(33, 0), "    ' one\r\n"), ranged(At(33, 6), At(33, 9), "two"),
            ranged(At(33, 7), At(33, 99), "hree"), ranged(At(999, 0), At(999, 5), "' end\r\n")});
    text.insert(OffsetOf(text, At(33, 0)), "    ' three\r\n");
    text += "' end\r\n";
    const Json actions = Actions("modMain.bas", 0, 0);
    EXPECT_FALSE(actions.empty());
    change({{{"text", text}}});
    EXPECT_EQ(Actions("modMain.bas", 0, 0), actions);

    // A range that ends before it starts: nothing is worked out of the text until it comes whole.
    change({ranged(At(5, 0), At(4, 0), "x"), ranged(At(0, 0), At(0, 0), "' y\r\n")});
    ASSERT_EQ(diagnostics().size(), 1u);
    EXPECT_EQ(diagnostics()[0]["code"], "sync");
    EXPECT_TRUE(Actions("modMain.bas", 0, 0).empty());
    const Json refused =
        client.Request("workspace/executeCommand",
                       {{"command", "brindle.addAll"}, {"arguments", {UriOf("modMain.bas")}}});
    EXPECT_NE(refused["error"]["message"].get<std::string>().find("lost track"), std::string::npos)
        << refused.dump();
    client.Notify("textDocument/didSave",
                  {{"textDocument", {{"uri", UriOf("modMain.bas")}}}, {"text", text}});
    EXPECT_GT(diagnostics().size(), 1u);
    EXPECT_EQ(Actions("modMain.bas", 0, 0), actions);
}

TEST_F(LspServerTest, ProjectCommandAsksThenEditsEveryModuleAsTheCommandWrites) {
    Open("modMain.bas");
    const auto run = [&](const std::string& answer) {
        client.sent.clear();
        client.Request("workspace/executeCommand",
                       {{"command", "brindle.addAll"}, {"arguments", {UriOf("modMain.bas")}}});
        const Json question = client.Last("window/showMessageRequest");
        EXPECT_NE(question["params"]["message"].get<std::string>().find("entire project"),
                  std::string::npos);
        client.Answer(question, {{"title", answer}});
    };
    run("No");
    EXPECT_TRUE(client.Last("workspace/applyEdit").is_null());

    run("Yes");
    const Json apply = client.Last("workspace/applyEdit");
    client.Answer(apply, {{"applied", true}});
    Brindle({"add-all", "Inventory.vbp", "--yes"}, "modMain.bas");
    const Json changes = apply["params"]["edit"]["changes"];
    EXPECT_EQ(changes.size(), 4u);
    for (const std::string name :
         {"modMain.bas", "CStockItem.cls", "frmMain.frm", "Controls/ctlGauge.ctl"}) {
        const std::string before = host::ToUtf8(ReadBytes(server_ / "Inventory" / name), 1252);
        EXPECT_EQ(host::FromUtf8(Applied(before, changes[UriOf(name)]), 1252),
                  ReadBytes(cli_ / "Inventory" / name))
            << name;
    }
}

}  // namespace
}  // namespace brindle::lsp
