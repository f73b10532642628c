#include "lsp/Framing.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>
#include <stdexcept>

#include "util/Text.h"

namespace brindle::lsp {
namespace {

// A header line as the message tells it: quoted, control characters escaped, long ones cut.
std::string Quoted(std::string_view line) {
    constexpr std::size_t kMost = 60;
    std::string text = "'";
    for (const char c : line.substr(0, kMost)) {
        if (static_cast<unsigned char>(c) < 0x20) {
            constexpr char kHex[] = "0123456789abcdef";
            text += "\\x";
            text += kHex[(c >> 4) & 0xF];
            text += kHex[c & 0xF];
        } else {
            text += c;
        }
    }
    return text + (line.size() > kMost ? "...'" : "'");
}

std::size_t LengthOf(std::string_view value) {
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
        throw std::runtime_error("a Content-Length that is no byte count: " + Quoted(value));
    }
    return number;
}

// Read in pieces, so that a length far beyond what comes is no huge allocation.
std::string BodyOf(std::istream& in, std::size_t length) {
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    std::string body;
    while (body.size() < length) {
        const std::size_t want = std::min(kPiece, length - body.size());
        const std::size_t had = body.size();
        body.resize(had + want);
        in.read(body.data() + had, static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(in.gcount());
        body.resize(had + got);
        if (got < want) {
            throw std::runtime_error("a message cut short: its Content-Length is " +
                                     std::to_string(length) + " bytes, the input ended after " +
                                     std::to_string(body.size()));
        }
    }
    return body;
}

}  // namespace

std::optional<std::string> ReadMessage(std::istream& in) {
    std::optional<std::size_t> length;
    std::string line;
    bool any = false;
    while (std::getline(in, line)) {
        any = true;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            if (!length) {
                throw std::runtime_error("a message without a Content-Length header");
            }
            return BodyOf(in, *length);
        }
        const auto colon = line.find(':');
        if (colon == std::string::npos) {
            throw std::runtime_error("a header line that is no 'Name: value': " + Quoted(line));
        }
        if (EqualsNoCase(std::string_view(line).substr(0, colon), "Content-Length")) {
            length = LengthOf(TrimSpaces(std::string_view(line).substr(colon + 1)));
        }
    }
    if (any) {
        throw std::runtime_error("the input ended inside a message's header");
    }
    return std::nullopt;
}

void WriteMessage(std::ostream& out, std::string_view body) {
    out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
    out.flush();
}

}  // namespace brindle::lsp
