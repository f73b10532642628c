#pragma once
// The language server: Brindle's findings as diagnostics, its commands as code actions and
// workspace commands, over JSON-RPC messages. The loop that reads and writes the framed
// messages (Serve) is apart from the dispatch (Server), which tests drive in memory.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "lsp/TextEdits.h"
#include "lsp/Workspace.h"

namespace brindle::lsp {

using Json = nlohmann::json;

// The name of the host's refresh as clients call it; the add-in's project commands are called by
// their names in the table of commands ("brindle.addAll" for "add-all").
inline constexpr const char* kRefresh = "brindle.refresh";

class Server {
public:
    using Send = std::function<void(const Json& message)>;
    explicit Server(Send send);

    // One message from the client: a request, a notification or a response to our request.
    void Handle(const Json& message);

    // After the exit notification: the process ends with ExitStatus().
    bool Exited() const { return exited_; }
    int ExitStatus() const { return shutDown_ ? 0 : 1; }

private:
    struct Document {
        std::string uri;
        std::filesystem::path file;
        std::string text;  // UTF-8, as the editor has it
        // Why `text` may no longer be the editor's, after a change that could not be placed;
        // empty while it is. Until the whole text comes again, nothing is worked out of it.
        std::string lost;
        std::optional<Place> place;
        std::string placeProblem;
    };

    Json Dispatch(const std::string& method, const Json& params, const Json& id);
    void Notify(const std::string& method, const Json& params);
    void Respond(const Json& id, Json result);
    void RespondError(const Json& id, int code, const std::string& message, Json data = nullptr);
    // A request's error answer; a notification's failure shown to the user.
    void Fail(bool request, const Json& id, int code, const std::string& text, Json data = nullptr);
    void Request(const std::string& method, const Json& params,
                 std::function<void(const Json& response)> then);
    void ShowMessage(int type, const std::string& text);

    Json Initialize(const Json& params);
    void Open(const Json& params);
    void Change(const Json& params);
    // Applies one content change to the document's text, in order; one that cannot be placed
    // loses the document until the whole text comes again.
    void ApplyChange(Document& document, const Json& change);
    void Lose(Document& document, const std::string& why);
    void Save(const Json& params);
    void Close(const Json& params);
    void Publish(Document& document);
    Json DiagnosticsOf(Document& document);
    Json CodeActions(const Json& params);
    Json Symbols(const Json& params);
    Json Folding(const Json& params);
    // Answers the request itself, once the client answered the questions and took the edit.
    void ExecuteCommand(const Json& id, const Json& params);
    void RunProjectCommand(const Json& id, const std::string& command, const Place& place,
                           bool confirmed);

    Document& DocumentOf(const Json& params);
    void Locate(Document& document);
    // The edits that `act` makes of the document's text in a fresh piece of work; empty when
    // it changes nothing or fails.
    std::vector<LineEdit> EditsOf(Document& document,
                                  const std::function<void(Work&, host::MemoryComponent&)>& act);
    Json TextEditsOf(const std::vector<LineEdit>& edits) const;
    // The whole line of the text's `lines`.
    Json RangeOf(const std::vector<std::string_view>& lines, std::size_t line) const;

    Send send_;
    PositionEncoding encoding_ = PositionEncoding::Utf16;
    ServerSettings settings_;
    bool initialized_ = false;
    bool applyEdit_ = false;  // whether the client takes workspace/applyEdit
    bool shutDown_ = false;
    bool exited_ = false;
    std::map<std::string, Document> documents_;
    std::string lastActive_;  // uri
    std::int64_t nextId_ = 1;
    std::map<std::int64_t, std::function<void(const Json& response)>> pending_;
    // What the team's settings warn of and what the add-in failed at while diagnostics and code
    // actions were worked out, each told once: they are worked out at every change and move.
    std::set<std::string> logged_;
};

// Serves the client on `in` and `out` until exit or the end of the input; the process's exit
// status. A message whose framing is broken ends it with one line on `err` saying why.
int Serve(std::istream& in, std::ostream& out, std::ostream& err);

// file:// URIs and paths.
std::filesystem::path PathOfUri(const std::string& uri);
std::string UriOfPath(const std::filesystem::path& path);

}  // namespace brindle::lsp
