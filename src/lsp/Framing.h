#pragma once
// The base protocol: each JSON-RPC message after a Content-Length header, over a byte stream.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::lsp {

// The next message's body; nothing at the end of the input. Raises std::runtime_error, saying
// what was wrong, for a header line that is no header, a header without a Content-Length or
// with one that is no number, input that ends in the header, or a body cut short.
std::optional<std::string> ReadMessage(std::istream& in);

// Writes the body with its header and flushes.
void WriteMessage(std::ostream& out, std::string_view body);

}  // namespace brindle::lsp
