#include "lsp/Framing.h"

#include <charconv>
#include <istream>
#include <ostream>
#include <stdexcept>

#include "util/Text.h"

namespace brindle::lsp {

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
            std::string body(*length, '\0');
            in.read(body.data(), static_cast<std::streamsize>(*length));
            if (static_cast<std::size_t>(in.gcount()) != *length) {
                throw std::runtime_error("a message cut short");
            }
            return body;
        }
        const auto colon = line.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        if (EqualsNoCase(std::string_view(line).substr(0, colon), "Content-Length")) {
            const std::string_view value = TrimSpaces(std::string_view(line).substr(colon + 1));
            std::size_t number = 0;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), number);
            if (error != std::errc() || end != value.data() + value.size()) {
                throw std::runtime_error("a Content-Length that is no number");
            }
            length = number;
        }
    }
    if (any && length) {
        throw std::runtime_error("a message cut short");
    }
    return std::nullopt;
}

void WriteMessage(std::ostream& out, std::string_view body) {
    out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
    out.flush();
}

}  // namespace brindle::lsp
