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

// A client of UTF-8 columns that takes edits, answers the server's questions as told and keeps
// what the server sends.
class Client {
public:
    Client() : server_([this](const Json& message) { sent.push_back(message); }) {
        Request("initialize", {{"capabilities",
                                {{"workspace", {{"applyEdit", true}}},
                                 {"general", {{"positionEncodings", {"utf-8", "utf-16"}}}}}}});
        Notify("initialized", Json::object());
    }

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
    Json Last(const std::string& method) const {
        const auto found = std::find_if(sent.rbegin(), sent.rend(), [&](const Json& message) {
            return message.value("method", "") == method;
        });
        return found == sent.rend() ? Json() : *found;
    }
    std::vector<Json> sent;

private:
    Server server_;
    int next_ = 1;
};

Json At(std::size_t line, std::size_t character) {
    return {{"line", line}, {"character", character}};
}

std::size_t Offset(const std::string& text, const Json& at) {
    return OffsetOf(text, {at["line"], at["character"]}, PositionEncoding::Utf8);
}

// The text with the edits applied, last first, as an editor does.
std::string Applied(std::string text, Json edits) {
    std::sort(edits.begin(), edits.end(), [&](const Json& a, const Json& b) {
        return Offset(text, a["range"]["start"]) > Offset(text, b["range"]["start"]);
    });
    for (const auto& edit : edits) {
        const auto start = Offset(text, edit["range"]["start"]);
        text.replace(start, Offset(text, edit["range"]["end"]) - start,
                     edit["newText"].get<std::string>());
    }
    return text;
}

class LspServerTest : public ::testing::Test {
protected:
    // Copies of the example project, one served, one for brindle; the module opened in the
    // served one, its text in UTF-8.
    std::string Open(const std::string& name, bool fresh = true) {
        if (fresh) {
            fs::remove_all(temp_.path());
            test::CopyFolder(test::SourceDir() / "examples", server_);
            test::CopyFolder(test::SourceDir() / "examples", cli_);
        }
        std::string text = host::ToUtf8(ReadBytes(server_ / name), 1252);
        client.Notify(
            "textDocument/didOpen",
            {{"textDocument",
              {{"uri", UriOf(name)}, {"languageId", "vb"}, {"version", 1}, {"text", text}}}});
        return text;
    }
    std::string UriOf(const std::string& name) const { return UriOfPath(server_ / name); }
    Json Diagnostics() const {
        return client.Last("textDocument/publishDiagnostics")["params"]["diagnostics"];
    }
    void Change(const Json& changes) {
        client.Notify("textDocument/didChange",
                      {{"textDocument", {{"uri", UriOf("modMain.bas")}, {"version", 2}}},
                       {"contentChanges", changes}});
    }
    Json Actions(const std::string& name, std::size_t first, std::size_t last,
                 const Json& diagnostics = Json::array()) {
        return client.Request("textDocument/codeAction",
                              {{"textDocument", {{"uri", UriOf(name)}}},
                               {"range", {{"start", At(first, 0)}, {"end", At(last, 1)}}},
                               {"context", {{"diagnostics", diagnostics}}}})["result"];
    }
    Json AddAll() {
        return client.Request("workspace/executeCommand", {{"command", "brindle.addAll"},
                                                           {"arguments", {UriOf("modMain.bas")}}});
    }
    // Runs brindle on its copy.
    void Brindle(const std::string& line) {
        const auto run = test::RunBrindle(cli_, settings_, test::Words(line));
        EXPECT_NE(run.status, 2) << run.err;
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

// Each request is answered, in turn: before initialize, of no such method, malformed or without
// what its method needs, with an error, and the server goes on until exit.
TEST(LspFraming, ServesUntilExitAndRefusesWhatComesOutOfTurn) {
    std::string input;
    for (const char* message :
         {R"({"id": 1, "method": "textDocument/documentSymbol"})",
          R"({"id": 2, "method": "initialize", "params": {}})",
          R"({"id": 3, "method": "no/suchMethod"})", R"({"id": 5, "method": 5})",
          R"({"id": 6, "method": "textDocument/codeAction"})", R"({"id": 4, "method": "shutdown"})",
          R"({"method": "exit"})"}) {
        auto body = Json::parse(message);
        body["jsonrpc"] = "2.0";
        input += "Content-Length: " + std::to_string(body.dump().size()) + "\r\n\r\n" + body.dump();
    }
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(Serve(in, out, err), 0);
    EXPECT_EQ(err.str(), "");
    std::istringstream replies(out.str());
    std::vector<Json> codes;
    while (const auto body = ReadMessage(replies)) {
        const auto reply = Json::parse(*body);
        codes.push_back(reply.contains("error") ? reply["error"]["code"] : reply["result"]);
    }
    ASSERT_EQ(codes.size(), 6u);
    EXPECT_EQ(codes[1]["capabilities"]["positionEncoding"], "utf-16");
    codes[1] = nullptr;
    EXPECT_EQ(codes, (std::vector<Json>{-32002, nullptr, -32601, -32600, -32602, nullptr}));

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

// An edit that takes the last line ends where its characters do, in the client's columns; a
// position inside a character is the character's start. G is a clef beyond the Basic
// Multilingual Plane: four bytes of UTF-8, two units of UTF-16.
TEST(LspTextEdits, TakeWholeLinesAndPlacePositionsInTheClientsColumns) {
    constexpr auto kUtf16 = PositionEncoding::Utf16;
    constexpr auto kUtf8 = PositionEncoding::Utf8;
    for (const auto& [encoding, width] : {std::pair{kUtf16, 4u}, std::pair{kUtf8, 6u}}) {
        const auto gone = LineEdits("' \xC3\xA9\r\n' \xF0\x9D\x84\x9E", "' \xC3\xA9\r\n", encoding);
        ASSERT_EQ(gone.size(), 1u);
        EXPECT_EQ(gone[0].end.line, 1u);
        EXPECT_EQ(gone[0].end.character, width);
    }
    // Bytes 0-3 "ab\r\n", 4-13 "' G x\r\n", 14-17 "last"; past the ends is the ranged changes'
    // test.
    const std::string text = "ab\r\n' \xF0\x9D\x84\x9E x\r\nlast";
    EXPECT_EQ(OffsetOf(text, {0, 2}, kUtf16), 2u);  // not into the line break
    EXPECT_EQ(OffsetOf(text, {1, 4}, kUtf16), 10u);
    EXPECT_EQ(OffsetOf(text, {1, 6}, kUtf8), 10u);
    EXPECT_EQ(OffsetOf(text, {1, 3}, kUtf16), 6u);  // inside the clef: its start
    EXPECT_EQ(OffsetOf(text, {1, 4}, kUtf8), 6u);
}

TEST_F(LspServerTest, DiagnosticsTellCheckFindingsAndTextTheCodePageLacks) {
    Open("modMain.bas");
    EXPECT_EQ(Diagnostics().size(), 11u) << Diagnostics().dump();  // check's findings
    const Json main = Diagnostics()[1];                            // Sub Main at file line 32
    EXPECT_EQ(main["range"]["start"]["line"], 31);
    EXPECT_EQ(main["code"], "header");
    EXPECT_EQ(main["source"], "brindle");
    EXPECT_EQ(main["message"], "Sub Main has no marked procedure header");

    Change({{{"range", {{"start", At(33, 0)}, {"end", At(33, 0)}}},
             {"text", "    ' \xE2\x88\x9A\r\n"}}});
    const Json told = Diagnostics();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0]["code"], "codepage");
    EXPECT_EQ(told[0]["range"]["start"]["line"], 33);
    EXPECT_TRUE(test::Has(told[0]["message"].get<std::string>(), "codePage, by Code Page=NNN"));
    EXPECT_TRUE(Actions("modMain.bas", 31, 31).empty());

    test::WriteBytes(server_ / ".brindleignore", "frmMain.frm\nScratch.bas\n");
    test::WriteBytes(server_ / "Scratch.bas",
                     "Attribute VB_Name = \"Scratch\"\r\nSub Go()\r\nEnd Sub\r\n");
    for (const std::string module : {"frmMain.frm", "Scratch.bas"}) {
        Open(module, false);
        EXPECT_TRUE(Diagnostics().empty()) << module;
        EXPECT_TRUE(Actions(module, 0, 40).empty()) << module;
    }
}

// Each action's edit, applied as an editor does, gives the bytes that the commands in `then`
// write, after `first` ran on both copies; `rule` names the diagnostic of a quick fix.
TEST_F(LspServerTest, EachActionWritesWhatTheCommandWrites) {
    const struct {
        std::string first;
        std::size_t from, to;
        std::string rule, title, then;  // the commands, each ended by ";"
    } rows[] = {
        {"", 45, 45, "handler", "Add an error handler to this procedure",
         "add-error-handlers modMain.bas --proc LoadDefaults;"},
        {"", 0, 0, "", "Add the module header, headers and error handlers to the module",
         "add-module-header modMain.bas;add-headers modMain.bas;add-error-handlers modMain.bas;"},
        {"add-all Inventory.vbp --yes", 40, 90, "",
         "Remove the code Brindle added in the selection",
         "remove-code modMain.bas --select 41-91 --lines file --yes;"},
    };
    for (const auto& [first, from, to, rule, title, then] : rows) {
        SCOPED_TRACE(title);
        Open("modMain.bas");
        if (!first.empty()) {
            Brindle(first);
            test::RunBrindle(server_, settings_, test::Words(first));
        }
        const std::string text = Open("modMain.bas", false);
        Json fixes = Json::array();
        for (const auto& diagnostic : Diagnostics()) {
            if (diagnostic["code"] == rule && diagnostic["range"]["start"]["line"] == from) {
                fixes.push_back(diagnostic);
            }
        }
        std::istringstream commands(then);
        for (std::string line; std::getline(commands, line, ';');) {
            Brindle(line);
        }
        const Json actions = Actions("modMain.bas", from, to, fixes);
        const auto action =
            std::find_if(actions.begin(), actions.end(),
                         [&, &title = title](const Json& a) { return a["title"] == title; });
        ASSERT_NE(action, actions.end()) << actions.dump();
        EXPECT_EQ(
            host::FromUtf8(Applied(text, (*action)["edit"]["changes"][UriOf("modMain.bas")]), 1252),
            ReadBytes(cli_ / "modMain.bas"));
    }
    // The procedures as the code window lists them, the marked blocks folded.
    const Json document = {{"textDocument", {{"uri", UriOf("modMain.bas")}}}};
    const Json symbols = client.Request("textDocument/documentSymbol", document)["result"];
    ASSERT_EQ(symbols.size(), 5u);
    EXPECT_EQ(symbols[0]["name"], "ElapsedSince");
    EXPECT_EQ(symbols[4]["detail"], "Sub Main");
    const Json folds = client.Request("textDocument/foldingRange", document)["result"];
    EXPECT_EQ(folds.size(), 1u + 5 + 5 * 2) << folds.dump();
}

// Each ranged change applies to the text the one before made, clamped past a line's end and
// the text's; one that cannot be placed leaves the server without a text, told, until the
// whole text comes with the next save.
TEST_F(LspServerTest, RangedChangesApplyInOrderAndOneThatCannotBePlacedWaitsForTheWholeText) {
    std::string text = Open("modMain.bas");
    const auto ranged = [](Json start, Json end, const std::string& with) {
        return Json{{"range", {{"start", std::move(start)}, {"end", std::move(end)}}},
                    {"text", with}};
    };
    Change({ranged(At(33, 0), At(33, 0), "    ' one\r\n"), ranged(At(33, 6), At(33, 9), "two"),
            ranged(At(33, 7), At(33, 99), "hree"), ranged(At(999, 0), At(999, 5), "' end\r\n")});
    text.insert(Offset(text, At(33, 0)), "    ' three\r\n");
    text += "' end\r\n";
    const Json actions = Actions("modMain.bas", 0, 0);
    EXPECT_FALSE(actions.empty());
    Change({{{"text", text}}});
    EXPECT_EQ(Actions("modMain.bas", 0, 0), actions);

    Change({ranged(At(5, 0), At(4, 0), "x"), ranged(At(0, 0), At(0, 0), "' y\r\n")});
    ASSERT_EQ(Diagnostics().size(), 1u);
    EXPECT_EQ(Diagnostics()[0]["code"], "sync");
    EXPECT_TRUE(Actions("modMain.bas", 0, 0).empty());
    const Json refused = AddAll();
    EXPECT_TRUE(test::Has(refused["error"]["message"].get<std::string>(), "lost track"));
    client.Notify("textDocument/didSave",
                  {{"textDocument", {{"uri", UriOf("modMain.bas")}}}, {"text", text}});
    EXPECT_GT(Diagnostics().size(), 1u);
    EXPECT_EQ(Actions("modMain.bas", 0, 0), actions);
}

// A project command asks first; No edits nothing, Yes edits every module as brindle writes it.
TEST_F(LspServerTest, ProjectCommandAsksThenEditsEveryModuleAsTheCommandWrites) {
    Open("modMain.bas");
    for (const std::string answer : {"No", "Yes"}) {
        client.sent.clear();
        AddAll();
        const Json question = client.Last("window/showMessageRequest");
        EXPECT_TRUE(test::Has(question["params"]["message"].get<std::string>(), "entire project"));
        client.Answer(question, {{"title", answer}});
        EXPECT_EQ(client.Last("workspace/applyEdit").is_null(), answer == "No");
    }
    const Json apply = client.Last("workspace/applyEdit");
    client.Answer(apply, {{"applied", true}});
    Brindle("add-all Inventory.vbp --yes");
    const Json changes = apply["params"]["edit"]["changes"];
    EXPECT_EQ(changes.size(), 4u);
    for (const std::string name :
         {"modMain.bas", "CStockItem.cls", "frmMain.frm", "Controls/ctlGauge.ctl"}) {
        const std::string before = host::ToUtf8(ReadBytes(server_ / name), 1252);
        EXPECT_EQ(host::FromUtf8(Applied(before, changes[UriOf(name)]), 1252),
                  ReadBytes(cli_ / name))
            << name;
    }
}

}  // namespace
}  // namespace brindle::lsp
