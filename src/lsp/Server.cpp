#include "lsp/Server.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>
#include <utility>

#include "addin/Commands.h"
#include "analysis/ProcDecl.h"
#include "codegen/Insertion.h"
#include "codegen/Markers.h"
#include "host/files/FileSystem.h"
#include "host/files/ModuleFile.h"
#include "host/ide/MemoryCodeModule.h"
#include "host/vb6/CodePage.h"
#include "lsp/Framing.h"
#include "util/Text.h"

#ifndef BRINDLE_VERSION
#define BRINDLE_VERSION "0"
#endif

namespace fs = std::filesystem;

namespace brindle::lsp {
namespace {

// JSON-RPC's and the protocol's error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestFailed = -32803;

// window/showMessage's types; the diagnostics' severities.
constexpr int kError = 1;
constexpr int kWarning = 2;
constexpr int kInfo = 3;

class RequestError : public std::runtime_error {
public:
    RequestError(int number, const std::string& text) : std::runtime_error(text), code(number) {}
    int code;
};

int HexDigit(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    const char lower = LowerAscii(c);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

struct ProjectCommand {
    std::string name;
    std::optional<CommandId> command;  // none for refresh, which is no button
    std::string_view title;
};

// "brindle.addAll" for the add-in's "add-all".
std::string ClientName(std::string_view name) {
    std::string client = "brindle.";
    bool upper = false;
    for (const char c : name) {
        if (c == '-') {
            upper = true;
        } else {
            client += upper ? UpperAscii(c) : c;
            upper = false;
        }
    }
    return client;
}

// The add-in's commands on a whole project, and the host's refresh.
const std::vector<ProjectCommand>& ProjectCommands() {
    static const std::vector<ProjectCommand> commands = [] {
        std::vector<ProjectCommand> all;
        for (const CommandInfo& info : kCommands) {
            if (info.scope == Scope::Project) {
                all.push_back({ClientName(info.name), info.id, info.title});
            }
        }
        all.push_back({kRefresh, std::nullopt, "Refresh Brindle's code in the project"});
        return all;
    }();
    return commands;
}

const ProjectCommand* ProjectCommandNamed(std::string_view name) {
    for (const auto& command : ProjectCommands()) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

int MessageTypeOf(std::int32_t buttons) {
    switch (buttons & 0x70) {
        case vbCritical:
            return kError;
        case vbExclamation:
            return kWarning;
        default:
            return kInfo;
    }
}

// A position as the client sent it; nothing for one that is no position.
std::optional<Position> PositionOf(const Json& json) {
    if (!json.is_object()) {
        return std::nullopt;
    }
    const Json line = json.value("line", Json());
    const Json character = json.value("character", Json());
    if (!line.is_number_integer() || !character.is_number_integer() ||
        line.get<std::int64_t>() < 0 || character.get<std::int64_t>() < 0) {
        return std::nullopt;
    }
    return Position{line.get<std::size_t>(), character.get<std::size_t>()};
}

// What the client's range of the text covers, as byte offsets; nothing for a range that is no
// range or ends before it starts. Positions past a line's or the text's end are clamped.
std::optional<std::pair<std::size_t, std::size_t>> SpanOf(const std::string& text,
                                                          const Json& range,
                                                          PositionEncoding encoding) {
    if (!range.is_object()) {
        return std::nullopt;
    }
    const auto start = PositionOf(range.value("start", Json()));
    const auto end = PositionOf(range.value("end", Json()));
    if (!start || !end ||
        std::pair{end->line, end->character} < std::pair{start->line, start->character}) {
        return std::nullopt;
    }
    const std::size_t from = OffsetOf(text, *start, encoding);
    return std::pair{from, std::max(from, OffsetOf(text, *end, encoding))};
}

// A question's prompt as one line of a message.
std::string Flattened(std::string_view text) {
    std::string flat;
    for (const char c : text) {
        if (c == '\r') {
            continue;
        }
        flat += c == '\n' ? ' ' : c;
    }
    std::string single;
    for (const char c : flat) {
        if (!(c == ' ' && !single.empty() && single.back() == ' ')) {
            single += c;
        }
    }
    return single;
}

}  // namespace

// ---- URIs ----

fs::path PathOfUri(const std::string& uri) {
    constexpr std::string_view scheme = "file://";
    if (uri.compare(0, scheme.size(), scheme) != 0) {
        throw RequestError(kInvalidParams, uri + ": Brindle works on files alone");
    }
    std::string text;
    for (std::size_t i = scheme.size(); i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && HexDigit(uri[i + 1]) >= 0 &&
            HexDigit(uri[i + 2]) >= 0) {
            text += static_cast<char>(HexDigit(uri[i + 1]) * 16 + HexDigit(uri[i + 2]));
            i += 2;
        } else {
            text += uri[i];
        }
    }
    // file:///C:/Code on Windows
    if (text.size() > 2 && text[0] == '/' && text[2] == ':' &&
        std::isalpha(static_cast<unsigned char>(text[1]))) {
        text.erase(0, 1);
    }
    return host::PathOf(text);
}

std::string UriOfPath(const fs::path& path) {
    std::string text = host::TextOf(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    if (text.empty() || text.front() != '/') {
        text.insert(0, "/");
    }
    return "file://" + PercentEncoded(text, "/-._~:");
}

// ---- Messages ----

Server::Server(Send send) : send_(std::move(send)) {}

void Server::Handle(const Json& message) {
    if (!message.is_object() || (message.contains("method") && !message["method"].is_string())) {
        RespondError(message.is_object() ? message.value("id", Json()) : Json(), kInvalidRequest,
                     "a message must be a JSON object with a method name");
        return;
    }
    const Json id = message.value("id", Json());
    if (!message.contains("method")) {
        if (id.is_number_integer()) {
            const auto found = pending_.find(id.get<std::int64_t>());
            if (found != pending_.end()) {
                auto then = std::move(found->second);
                pending_.erase(found);
                try {
                    then(message);
                } catch (const std::exception& e) {
                    ShowMessage(kError, std::string("Brindle: ") + e.what());
                }
            }
        }
        return;
    }
    const std::string method = message["method"].get<std::string>();
    Json params = message.value("params", Json::object());
    if (params.is_null()) {
        params = Json::object();
    }
    const bool request = message.contains("id");
    try {
        if (method == "workspace/executeCommand" && initialized_ && !shutDown_) {
            ExecuteCommand(id, params);
            return;
        }
        Json result = Dispatch(method, params, id);
        if (request) {
            Respond(id, std::move(result));
        }
    } catch (const RequestError& e) {
        Fail(request, id, e.code, e.what());
    } catch (const VbError& e) {
        Fail(request, id, kRequestFailed, e.Description(), {{"number", e.Number()}});
    } catch (const Json::exception& e) {
        Fail(request, id, kInvalidParams, method + ": " + e.what());
    } catch (const std::exception& e) {
        Fail(request, id, kInternalError, e.what());
    }
}

void Server::Fail(bool request, const Json& id, int code, const std::string& text, Json data) {
    if (request) {
        RespondError(id, code, text, std::move(data));
    } else {
        ShowMessage(kError, "Brindle: " + text);
    }
}

Json Server::Dispatch(const std::string& method, const Json& params, const Json& id) {
    if (method == "initialize") {
        return Initialize(params);
    }
    if (method == "exit") {
        exited_ = true;
        return nullptr;
    }
    if (!initialized_) {
        if (id.is_null()) {
            return nullptr;  // a notification before initialize is dropped
        }
        throw RequestError(kServerNotInitialized, "the server is not initialized");
    }
    if (shutDown_ && !id.is_null()) {
        throw RequestError(kInvalidRequest, "the server is shutting down");
    }
    if (method == "shutdown") {
        shutDown_ = true;
        return nullptr;
    }
    if (method == "textDocument/didOpen") {
        Open(params);
    } else if (method == "textDocument/didChange") {
        Change(params);
    } else if (method == "textDocument/didSave") {
        Save(params);
    } else if (method == "textDocument/didClose") {
        Close(params);
    } else if (method == "textDocument/codeAction") {
        return CodeActions(params);
    } else if (method == "textDocument/documentSymbol") {
        return Symbols(params);
    } else if (method == "textDocument/foldingRange") {
        return Folding(params);
    } else if (!id.is_null()) {
        throw RequestError(kMethodNotFound, method + " is not served");
    }
    return nullptr;
}

void Server::Notify(const std::string& method, const Json& params) {
    send_({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

void Server::Respond(const Json& id, Json result) {
    send_({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void Server::RespondError(const Json& id, int code, const std::string& message, Json data) {
    Json error = {{"code", code}, {"message", message}};
    if (!data.is_null()) {
        error["data"] = std::move(data);
    }
    send_({{"jsonrpc", "2.0"}, {"id", id}, {"error", std::move(error)}});
}

void Server::Request(const std::string& method, const Json& params,
                     std::function<void(const Json& response)> then) {
    const std::int64_t id = nextId_++;
    pending_[id] = std::move(then);
    send_({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
}

void Server::ShowMessage(int type, const std::string& text) {
    Notify("window/showMessage", {{"type", type}, {"message", text}});
}

Json Server::Initialize(const Json& params) {
    if (initialized_) {
        throw RequestError(kInvalidRequest, "the server is initialized already");
    }
    const Json encodings = params.value("capabilities", Json::object())
                               .value("general", Json::object())
                               .value("positionEncodings", Json::array());
    if (std::find(encodings.begin(), encodings.end(), "utf-8") != encodings.end()) {
        encoding_ = PositionEncoding::Utf8;
    }
    const Json workspace =
        params.value("capabilities", Json::object()).value("workspace", Json::object());
    applyEdit_ = workspace.is_object() && workspace.value("applyEdit", false);
    const Json options = params.value("initializationOptions", Json::object());
    if (options.is_object()) {
        if (options.contains("codePage") && options["codePage"].is_number_integer()) {
            const int codePage = options["codePage"].get<int>();
            if (!host::IsModuleCodePage(codePage)) {
                throw RequestError(kInvalidParams, "code page " + std::to_string(codePage) +
                                                       " is not one Brindle knows");
            }
            settings_.codePage = codePage;
        }
        if (options.contains("require") && options["require"].is_array()) {
            const Json& rules = options["require"];
            const auto has = [&rules](const char* rule) {
                return std::find(rules.begin(), rules.end(), rule) != rules.end();
            };
            settings_.rules.moduleHeader = has("module-header");
            settings_.rules.header = has("header");
            settings_.rules.handler = has("handler");
        }
        settings_.rules.stale = options.value("stale", false);
    }
    initialized_ = true;
    Json commands = Json::array();
    for (const auto& command : ProjectCommands()) {
        commands.push_back(command.name);
    }
    return {
        {"capabilities",
         {{"positionEncoding", encoding_ == PositionEncoding::Utf8 ? "utf-8" : "utf-16"},
          // Incremental changes; the whole text at each save, which brings back in step a
          // document whose change could not be placed.
          {"textDocumentSync",
           {{"openClose", true}, {"change", 2}, {"save", {{"includeText", true}}}}},
          {"codeActionProvider", {{"codeActionKinds", {"quickfix", "refactor.rewrite", "source"}}}},
          {"documentSymbolProvider", true},
          {"foldingRangeProvider", true},
          {"executeCommandProvider", {{"commands", commands}}}}},
        {"serverInfo", {{"name", "brindle"}, {"version", BRINDLE_VERSION}}},
    };
}

// ---- Documents and diagnostics ----

Server::Document& Server::DocumentOf(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto found = documents_.find(uri);
    if (found == documents_.end()) {
        throw RequestError(kInvalidParams, uri + " is not open");
    }
    lastActive_ = uri;
    return found->second;
}

void Server::Locate(Document& document) {
    document.place.reset();
    document.placeProblem.clear();
    if (!host::ModuleTypeOfExtension(document.file)) {
        return;  // a project file or any other text the editor opened: not ours to check
    }
    try {
        document.place = PlaceOf(document.file, settings_);
    } catch (const PlaceError& e) {
        document.placeProblem = e.what();
    }
}

void Server::Open(const Json& params) {
    const Json& item = params.at("textDocument");
    Document document;
    document.uri = item.at("uri").get<std::string>();
    document.file = PathOfUri(document.uri);
    document.text = item.at("text").get<std::string>();
    Locate(document);
    lastActive_ = document.uri;
    Publish(documents_[document.uri] = std::move(document));
}

void Server::Change(const Json& params) {
    auto& document = DocumentOf(params);
    const auto changes = params.find("contentChanges");
    if (changes == params.end() || !changes->is_array()) {
        Lose(document, "a change without its content changes");
    } else {
        for (const auto& change : *changes) {
            ApplyChange(document, change);
        }
    }
    Publish(document);
}

void Server::ApplyChange(Document& document, const Json& change) {
    if (!change.is_object() || !change.value("text", Json()).is_string()) {
        Lose(document, "a change without its text");
        return;
    }
    const auto& text = change["text"].get_ref<const std::string&>();
    if (!change.contains("range")) {
        document.text = text;
        document.lost.clear();
        return;
    }
    if (!document.lost.empty()) {
        return;  // nothing to place it in until the whole text comes
    }
    if (const auto span = SpanOf(document.text, change["range"], encoding_)) {
        document.text.replace(span->first, span->second - span->first, text);
    } else {
        Lose(document, "a change whose range is no range: " + change["range"].dump());
    }
}

void Server::Lose(Document& document, const std::string& why) {
    if (!document.lost.empty()) {
        return;
    }
    document.lost =
        "Brindle lost track of the editor's text at " + why +
        "; it checks and changes nothing here until you save the module, or close and reopen it";
    Notify("window/logMessage",
           {{"type", kWarning}, {"message", "Brindle: " + document.uri + ": " + document.lost}});
}

void Server::Save(const Json& params) {
    auto& document = DocumentOf(params);
    if (params.contains("text") && params["text"].is_string()) {
        document.text = params["text"].get<std::string>();
        document.lost.clear();
    }
    Locate(document);
    Publish(document);
}

void Server::Close(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    documents_.erase(uri);
    Notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", Json::array()}});
}

void Server::Publish(Document& document) {
    Notify("textDocument/publishDiagnostics",
           {{"uri", document.uri}, {"diagnostics", DiagnosticsOf(document)}});
}

Json Server::RangeOf(const std::vector<std::string_view>& lines, std::size_t line) const {
    const std::size_t width =
        line < lines.size() ? Width(WithoutBreak(lines[line]), encoding_) : std::size_t{0};
    return {{"start", {{"line", line}, {"character", 0}}},
            {"end", {{"line", line}, {"character", width}}}};
}

Json Server::DiagnosticsOf(Document& document) {
    Json diagnostics = Json::array();
    const auto textLines = SplitKeepingBreaks(document.text);
    const auto add = [&](std::size_t line, int severity, const std::string& code,
                         const std::string& text) {
        diagnostics.push_back({{"range", RangeOf(textLines, line)},
                               {"severity", severity},
                               {"source", "brindle"},
                               {"code", code},
                               {"message", text}});
    };
    if (!document.lost.empty()) {
        add(0, kError, "sync", document.lost);
        return diagnostics;
    }
    if (!document.place) {
        if (!document.placeProblem.empty()) {
            add(0, kError, "settings", document.placeProblem);
        }
        return diagnostics;
    }
    if (!document.place->ignoredBy.empty()) {
        return diagnostics;
    }
    try {
        Work work(*document.place, ui::FixedAnswer(vbNo));
        auto& component = work.Load(document.file, document.text);
        for (const auto& warning : work.Told().warnings) {
            if (logged_.insert(warning).second) {
                Notify("window/logMessage",
                       {{"type", kWarning}, {"message", "Brindle: " + warning}});
            }
        }
        const auto findings = CheckModule(work.Fields(), component.CodeModule(), settings_.rules);
        const host::FileLines lines(component);
        for (const auto& finding : findings) {
            add(static_cast<std::size_t>(std::max(lines.FileLineOf(finding.line), 1) - 1), kWarning,
                finding.rule, finding.text);
        }
    } catch (const TextError& e) {
        add(e.line, kError, "codepage",
            std::string(e.what()) +
                ". Another code page is set by the initialization option codePage, by Code "
                "Page=NNN under [Command Line] in the team's brindle.ini, or by brindle options "
                "--codepage NNN");
    } catch (const host::ModuleFileError& e) {
        add(0, kError, "module", e.Detail());
    } catch (const PlaceError& e) {
        add(0, kError, "settings", e.what());
    }
    return diagnostics;
}

// ---- Code actions ----

std::vector<LineEdit> Server::EditsOf(
    Document& document, const std::function<void(Work&, host::MemoryComponent&)>& act) {
    if (!document.place || !document.place->ignoredBy.empty() || !document.lost.empty()) {
        return {};
    }
    try {
        Work work(*document.place, ui::FixedAnswer(vbYes));
        auto& component = work.Load(document.file, document.text);
        const auto version = component.Code()->Version();
        act(work, component);
        for (const auto& failure : work.Told().failures) {
            if (logged_.insert(failure).second) {
                Notify("window/logMessage", {{"type", kError}, {"message", "Brindle: " + failure}});
            }
        }
        if (component.Code()->Version() == version) {
            return {};
        }
        return LineEdits(document.text, work.TextOf(component), encoding_);
    } catch (const std::exception&) {
        return {};  // the diagnostics tell why the module cannot be worked on
    }
}

Json Server::TextEditsOf(const std::vector<LineEdit>& edits) const {
    Json json = Json::array();
    for (const auto& edit : edits) {
        json.push_back(
            {{"range",
              {{"start", {{"line", edit.start.line}, {"character", edit.start.character}}},
               {"end", {{"line", edit.end.line}, {"character", edit.end.character}}}}},
             {"newText", edit.text}});
    }
    return json;
}

namespace {

// Whole-module selection.
void ClickOnModule(Work& work, host::MemoryComponent& component, CommandId command) {
    const auto count = component.CodeModule().CountOfLines();
    if (count > 0) {
        work.RunOnLines(component, 1, count, command);
    }
}

std::function<void(Work&, host::MemoryComponent&)> OnFileLines(std::size_t first, std::size_t last,
                                                               CommandId command) {
    return [=](Work& work, host::MemoryComponent& component) {
        if (const auto lines = CodeLinesOf(component, first, last)) {
            work.RunOnLines(component, lines->first, lines->last, command);
        }
    };
}

std::string TitleOf(CommandId command) {
    return std::string(CommandOf(command).title);
}

// The edits that touch the file's lines `first`..`last`.
std::vector<LineEdit> Touching(std::vector<LineEdit> edits, std::size_t first, std::size_t last) {
    std::erase_if(edits, [&](const LineEdit& edit) {
        const std::size_t end = edit.first + std::max<std::size_t>(edit.count, 1);
        return end <= first || edit.first > last;
    });
    return edits;
}

// The marked block whose lines hold the file's line `line`: from its begin marker to its end
// marker.
std::optional<std::pair<std::size_t, std::size_t>> BlockAround(const std::string& text,
                                                               std::size_t line) {
    const auto lines = SplitKeepingBreaks(text);
    if (line >= lines.size()) {
        return std::nullopt;
    }
    std::size_t begin = line;
    while (MarkerKindOf(WithoutBreak(lines[begin])) == MarkerKind::None && begin > 0) {
        --begin;
    }
    std::size_t end = line == begin ? line + 1 : line;
    while (end < lines.size() && MarkerKindOf(WithoutBreak(lines[end])) == MarkerKind::None) {
        ++end;
    }
    if (MarkerKindOf(WithoutBreak(lines[begin])) != MarkerKind::Begin || end == lines.size() ||
        MarkerKindOf(WithoutBreak(lines[end])) != MarkerKind::End) {
        return std::nullopt;
    }
    return std::pair{begin, end};
}

}  // namespace

Json Server::CodeActions(const Json& params) {
    auto& document = DocumentOf(params);
    const Json& range = params.at("range");
    const std::size_t first = range.at("start").at("line").get<std::size_t>();
    std::size_t last = range.at("end").at("line").get<std::size_t>();
    if (last > first && range.at("end").at("character").get<std::size_t>() == 0) {
        --last;  // a selection of whole lines ends at the start of the next
    }
    Json actions = Json::array();
    const auto offer = [&](const std::string& title, const char* kind,
                           const std::vector<LineEdit>& edits, Json diagnostic = nullptr) {
        Json edit = {{"changes", {{document.uri, TextEditsOf(edits)}}}};
        // The action for the selection is the quick fix itself when the selection is that of the
        // finding: offered once.
        const bool offered = std::any_of(actions.begin(), actions.end(), [&](const Json& other) {
            return other["title"] == title || other["edit"] == edit;
        });
        if (edits.empty() || offered) {
            return;
        }
        Json action = {{"title", title}, {"kind", kind}, {"edit", std::move(edit)}};
        if (!diagnostic.is_null()) {
            action["diagnostics"] = Json::array({diagnostic});
            action["isPreferred"] = true;
        }
        actions.push_back(std::move(action));
    };
    const Json context = params.value("context", Json::object());
    for (const Json& diagnostic : context.value("diagnostics", Json::array())) {
        if (diagnostic.value("source", "") != "brindle" || !diagnostic.contains("code")) {
            continue;
        }
        const std::string rule =
            diagnostic["code"].is_string() ? diagnostic["code"].get<std::string>() : std::string();
        const std::size_t line = diagnostic.at("range").at("start").at("line").get<std::size_t>();
        if (rule == "module-header") {
            offer("Add the module header", "quickfix",
                  EditsOf(document,
                          [](Work& work, host::MemoryComponent& component) {
                              ClickOnModule(work, component, CommandId::AddModuleHeader);
                          }),
                  diagnostic);
        } else if (rule == "header") {
            offer("Add a header to this procedure", "quickfix",
                  EditsOf(document, OnFileLines(line, line, CommandId::AddHeaders)), diagnostic);
        } else if (rule == "handler") {
            offer("Add an error handler to this procedure", "quickfix",
                  EditsOf(document, OnFileLines(line, line, CommandId::AddErrorHandlers)),
                  diagnostic);
        } else if (rule == "stale" || rule == "name" || rule == "exit") {
            const auto block = BlockAround(document.text, line).value_or(std::pair{line, line});
            offer("Refresh this block", "quickfix",
                  Touching(
                      EditsOf(document, [](Work& work, host::MemoryComponent&) { work.Refresh(); }),
                      block.first, block.second),
                  diagnostic);
        } else if (rule == "duplicate" || rule == "role") {
            if (const auto block = BlockAround(document.text, line)) {
                offer("Remove this block", "quickfix",
                      EditsOf(document,
                              OnFileLines(block->first, block->second, CommandId::RemoveCode)),
                      diagnostic);
            }
        } else if (rule == "markers" || rule == "skip") {
            // A marker line without its partner, or a skip comment that applies to nothing: the
            // line itself goes, what stands around it stays.
            const auto lines = SplitKeepingBreaks(document.text);
            if (line < lines.size() && TrimBlanks(lines[line]).starts_with("'")) {
                const std::string_view text = TrimBlanks(WithoutBreak(lines[line]));
                if (rule == "skip" || IsMarkerLine(text)) {
                    LineEdit edit{line, 1, {}, {line, 0}, {line + 1, 0}};
                    if (line + 1 == lines.size() && WithoutBreak(lines[line]) == lines[line]) {
                        edit.end = {line, Width(lines[line], encoding_)};
                    }
                    offer("Delete this line", "quickfix", {edit}, diagnostic);
                }
            }
        }
    }
    offer(TitleOf(CommandId::AddHeaders), "refactor.rewrite",
          EditsOf(document, OnFileLines(first, last, CommandId::AddHeaders)));
    offer(TitleOf(CommandId::AddErrorHandlers), "refactor.rewrite",
          EditsOf(document, OnFileLines(first, last, CommandId::AddErrorHandlers)));
    offer(TitleOf(CommandId::AddModuleHeader), "source",
          EditsOf(document, [](Work& work, host::MemoryComponent& component) {
              ClickOnModule(work, component, CommandId::AddModuleHeader);
          }));
    offer("Add the module header, headers and error handlers to the module", "source",
          EditsOf(document, [](Work& work, host::MemoryComponent& component) {
              ClickOnModule(work, component, CommandId::AddModuleHeader);
              ClickOnModule(work, component, CommandId::AddHeaders);
              ClickOnModule(work, component, CommandId::AddErrorHandlers);
          }));
    offer(TitleOf(CommandId::RemoveMarkers), "refactor.rewrite",
          EditsOf(document, OnFileLines(first, last, CommandId::RemoveMarkers)));
    offer(TitleOf(CommandId::RemoveCode), "refactor.rewrite",
          EditsOf(document, OnFileLines(first, last, CommandId::RemoveCode)));
    offer("Refresh Brindle's code in the selection", "refactor.rewrite",
          Touching(EditsOf(document, [](Work& work, host::MemoryComponent&) { work.Refresh(); }),
                   first, last));
    return actions;
}

// ---- Symbols and folding ----

namespace {

int SymbolKindOf(vbext_ProcKind kind) {
    constexpr int kMethod = 6;
    constexpr int kProperty = 7;
    return kind == vbext_pk_Proc ? kMethod : kProperty;
}

}  // namespace

Json Server::Symbols(const Json& params) {
    auto& document = DocumentOf(params);
    Json symbols = Json::array();
    if (!document.place || !document.lost.empty()) {
        return symbols;
    }
    try {
        Work work(*document.place, ui::FixedAnswer(vbNo));
        auto& component = work.Load(document.file, document.text);
        const host::FileLines lines(component);
        const auto text = SplitKeepingBreaks(document.text);
        auto procedures = component.Code()->Procedures();
        // As the code window's procedure list shows them: by name.
        std::stable_sort(procedures.begin(), procedures.end(), [](const auto& a, const auto& b) {
            return LowerAscii(a.procedure.name) < LowerAscii(b.procedure.name);
        });
        const auto place = [&](std::int32_t line) {
            return static_cast<std::size_t>(std::max(lines.FileLineOf(line), 1) - 1);
        };
        for (const auto& info : procedures) {
            const auto& proc = info.procedure;
            const std::size_t start = place(proc.startLine);
            const std::size_t end = place(info.lastLine);
            const auto endRange = RangeOf(text, end);
            symbols.push_back(
                {{"name", host::ToUtf8(proc.name, work.CodePage())},
                 {"detail",
                  host::ToUtf8(ProcedureLabel(component.CodeModule(), proc.name, proc.kind),
                               work.CodePage())},
                 {"kind", SymbolKindOf(proc.kind)},
                 {"range",
                  {{"start", {{"line", start}, {"character", 0}}}, {"end", endRange["end"]}}},
                 {"selectionRange", RangeOf(text, place(proc.bodyLine))}});
        }
    } catch (const std::exception&) {
        // The diagnostics say why the module cannot be read.
    }
    return symbols;
}

Json Server::Folding(const Json& params) {
    auto& document = DocumentOf(params);
    Json ranges = Json::array();
    if (!document.place || !document.lost.empty()) {
        return ranges;
    }
    try {
        Work work(*document.place, ui::FixedAnswer(vbNo));
        auto& component = work.Load(document.file, document.text);
        auto& code = component.CodeModule();
        const host::FileLines lines(component);
        MarkerPairing pairing;
        for (auto marker = NextMarkerLine(code, 1); marker;
             marker = NextMarkerLine(code, marker->line + 1)) {
            if (const auto block = pairing.Feed(code, *marker).block) {
                ranges.push_back({{"startLine", lines.FileLineOf(block->begin.line) - 1},
                                  {"endLine", lines.FileLineOf(block->end.line) - 1},
                                  {"kind", "region"}});
            }
        }
    } catch (const std::exception&) {
    }
    return ranges;
}

// ---- Project commands ----

void Server::ExecuteCommand(const Json& id, const Json& params) {
    const std::string name = params.at("command").get<std::string>();
    if (ProjectCommandNamed(name) == nullptr) {
        throw RequestError(kInvalidParams, name + " is no command of Brindle's");
    }
    if (!applyEdit_) {
        throw RequestError(kRequestFailed, name +
                                               " edits the modules through the editor, which "
                                               "does not take edits from a server");
    }
    std::string uri = lastActive_;
    const Json arguments = params.value("arguments", Json::array());
    if (!arguments.empty() && arguments[0].is_string()) {
        uri = arguments[0].get<std::string>();
    }
    if (uri.empty()) {
        throw RequestError(kInvalidParams,
                           name + " works on the project of a module; open one of its modules");
    }
    Place place;
    try {
        const fs::path file = PathOfUri(uri);
        place = PlaceOf(file, settings_);
        if (EqualsNoCase(host::TextOf(file.extension()), ".vbp")) {
            place.project = place.file;  // the project itself named
            place.projectName = host::TextOf(file.stem());
        }
    } catch (const PlaceError& e) {
        throw RequestError(kRequestFailed, e.what());
    }
    RunProjectCommand(id, name, place, false);
}

void Server::RunProjectCommand(const Json& id, const std::string& name, const Place& place,
                               bool confirmed) {
    const ProjectCommand& command = *ProjectCommandNamed(name);
    std::optional<std::string> question;
    std::vector<std::pair<int, std::string>> messages;
    const auto answer = [&](std::string_view prompt, std::int32_t buttons, std::string_view title) {
        if ((buttons & 0xF) == vbYesNo) {
            if (!confirmed && !question) {
                question = std::string(title) + ": " + Flattened(prompt);
            }
            return confirmed ? vbYes : vbNo;
        }
        messages.emplace_back(MessageTypeOf(buttons), Flattened(prompt));
        return vbOK;
    };
    const auto ask = [&](const std::string& text) {
        Request("window/showMessageRequest",
                {{"type", kWarning},
                 {"message", text},
                 {"actions", Json::array({{{"title", "Yes"}}, {{"title", "No"}}})}},
                [this, id, name, place](const Json& response) {
                    const Json result = response.value("result", Json());
                    if (result.is_object() && result.value("title", "") == "Yes") {
                        try {
                            RunProjectCommand(id, name, place, true);
                        } catch (const RequestError& e) {
                            RespondError(id, e.code, e.what());
                        } catch (const std::exception& e) {
                            RespondError(id, kInternalError, e.what());
                        }
                    } else {
                        ShowMessage(kInfo, "Brindle: not answered Yes; nothing was changed");
                        Respond(id, nullptr);
                    }
                });
    };
    if (!command.command && !confirmed) {
        ask(std::string(kRefreshTitle) + ": " + Flattened(kRefreshPrompt));
        return;
    }
    Work work(place, answer);
    struct Loaded {
        host::MemoryComponent* component;
        std::string uri;     // the client's own for an open module
        std::string before;  // its text
    };
    std::vector<Loaded> loaded;
    std::vector<std::string> problems;
    for (const auto& file : ProjectModules(place)) {
        const std::string uri = UriOfPath(file);
        const auto open = std::find_if(documents_.begin(), documents_.end(), [&](const auto& doc) {
            return host::SameFile(doc.second.file, file);
        });
        try {
            if (open != documents_.end() && !open->second.lost.empty()) {
                problems.push_back(host::TextOf(file.filename()) + ": " + open->second.lost);
            } else if (open != documents_.end()) {
                loaded.push_back(
                    {&work.Load(file, open->second.text), open->second.uri, open->second.text});
            } else {
                auto& component = work.Load(file, std::nullopt);
                loaded.push_back({&component, uri, work.TextOf(component)});
            }
        } catch (const TextError& e) {
            problems.push_back(host::TextOf(file.filename()) + ":" + std::to_string(e.line + 1) +
                               ": " + e.what());
        } catch (const host::ModuleFileError& e) {
            problems.push_back(e.Message());
        }
    }
    if (!problems.empty()) {
        std::string text = "Brindle: nothing was changed, as not every module could be read:";
        for (const auto& problem : problems) {
            text += " " + problem + ";";
        }
        text.pop_back();
        throw RequestError(kRequestFailed, text);
    }
    if (command.command) {
        work.RunOnProject(*command.command);
    } else {
        work.Refresh();
    }
    if (question) {
        ask(*question);
        return;
    }
    for (const auto& [type, text] : messages) {
        ShowMessage(type, "Brindle: " + text);
    }
    for (const auto& failure : work.Told().failures) {
        ShowMessage(kError, "Brindle: " + failure);
    }
    for (const auto& warning : work.Told().warnings) {
        Notify("window/logMessage", {{"type", kWarning}, {"message", "Brindle: " + warning}});
    }
    Json changes = Json::object();
    for (const auto& module : loaded) {
        const auto after = work.TextOf(*module.component);
        if (after != module.before) {
            changes[module.uri] = TextEditsOf(LineEdits(module.before, after, encoding_));
        }
    }
    if (changes.empty()) {
        ShowMessage(kInfo, "Brindle: " + std::string(command.title) + ": nothing to change");
        Respond(id, nullptr);
        return;
    }
    const std::size_t count = changes.size();
    Request("workspace/applyEdit",
            {{"label", std::string(command.title)}, {"edit", {{"changes", changes}}}},
            [this, id, count](const Json& response) {
                const Json result = response.value("result", Json::object());
                if (result.is_object() && result.value("applied", false)) {
                    Respond(id, nullptr);
                    Notify("window/logMessage",
                           {{"type", kInfo},
                            {"message", "Brindle: " + std::to_string(count) +
                                            (count == 1 ? " module" : " modules") + " changed"}});
                } else {
                    RespondError(id, kRequestFailed,
                                 "the editor did not take Brindle's changes: " +
                                     (result.is_object() ? result.value("failureReason", "")
                                                         : std::string("no answer")));
                }
            });
}

// ---- The loop ----

int Serve(std::istream& in, std::ostream& out, std::ostream& err) {
    Server server([&out](const Json& message) {
        WriteMessage(out, message.dump(-1, ' ', false, Json::error_handler_t::replace));
    });
    try {
        while (const auto body = ReadMessage(in)) {
            Json message;
            try {
                message = Json::parse(*body);
            } catch (const Json::parse_error& e) {
                WriteMessage(out, Json({{"jsonrpc", "2.0"},
                                        {"id", nullptr},
                                        {"error", {{"code", kParseError}, {"message", e.what()}}}})
                                      .dump());
                continue;
            }
            server.Handle(message);
            if (server.Exited()) {
                return server.ExitStatus();
            }
        }
    } catch (const std::exception& e) {
        // The framing broke: nothing more can be read, nor told to the client.
        err << "brindle: lsp: " << e.what() << '\n' << std::flush;
        return 1;
    }
    return 1;
}

}  // namespace brindle::lsp
