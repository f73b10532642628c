#pragma once
// Physical lines of a module file: bytes of the file's own code page and the break that ended
// each line, kept so that a file is written back exactly as it was read.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brindle::host {

enum class LineBreak : std::uint8_t { None, CrLf, Lf, Cr };

// Inline: every line written goes through it.
constexpr std::string_view BreakBytes(LineBreak lineBreak) {
    switch (lineBreak) {
        case LineBreak::CrLf:
            return "\r\n";
        case LineBreak::Lf:
            return "\n";
        case LineBreak::Cr:
            return "\r";
        case LineBreak::None:
            break;
    }
    return {};
}

struct SourceLine {
    std::string text;
    LineBreak lineBreak = LineBreak::None;  // None: not yet decided (a new line) or the file's end
};

// The bytes a text holds, a bit for each, ASCII letters as one whatever their case: several
// bytes share a bit, so it tells for sure only which text a line cannot hold. Searching a module
// passes over most of its lines by it.
inline constexpr std::array<std::uint64_t, 256> kByteBits = [] {
    std::array<std::uint64_t, 256> bits{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        bits[byte] = std::uint64_t{1} << ((byte >= 'A' && byte <= 'Z' ? byte + 32 : byte) & 63);
    }
    return bits;
}();
// Four sets at once, so that each byte need not wait for the one before.
constexpr std::uint64_t ByteSet(std::string_view text) {
    std::uint64_t set[4] = {};
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        for (std::size_t k = 0; k < 4; ++k) {
            set[k] |= kByteBits[static_cast<unsigned char>(text[i + k])];
        }
    }
    for (; i < text.size(); ++i) {
        set[0] |= kByteBits[static_cast<unsigned char>(text[i])];
    }
    return set[0] | set[1] | set[2] | set[3];
}
inline constexpr std::uint64_t kAnyBytes = ~std::uint64_t{0};

// The bytes of a code line. A loaded line borrows them from the module file's bytes, which its
// component keeps, so that loading copies no line; a line made or changed by an edit owns its
// own. A copy always owns its bytes, so that it may outlive the module; a move keeps them where
// they are, which is how lines travel within their module.
class LineText {
public:
    LineText() = default;
    LineText(std::string_view text) { Own(text); }
    LineText(const std::string& text) : LineText(std::string_view(text)) {}
    LineText(const char* text) : LineText(std::string_view(text)) {}
    static LineText Borrowing(std::string_view bytes);

    LineText(const LineText& other) { Own(other.view()); }
    LineText(LineText&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          owned_(std::exchange(other.owned_, false)) {}
    LineText& operator=(LineText other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(owned_, other.owned_);
        return *this;
    }
    ~LineText() {
        if (owned_) {
            delete[] data_;
        }
    }

    std::string_view view() const { return {data_, size_}; }
    operator std::string_view() const { return view(); }
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    friend bool operator==(const LineText& a, std::string_view b) { return a.view() == b; }

private:
    void Own(std::string_view text);

    const char* data_ = nullptr;
    std::uint32_t size_ = 0;
    bool owned_ = false;
};

// A line of the code pane, with the hidden member attribute lines that the file holds directly
// after it. They travel with the line wherever edits move it.
struct CodeLine {
    LineText text;
    LineBreak lineBreak = LineBreak::None;
    std::unique_ptr<std::vector<SourceLine>> attributes;
    // ByteSet(text), worked out wherever a line is made or changed; a line made without it may
    // hold any byte.
    std::uint64_t bytes = kAnyBytes;
};

// A copy of the line with its attribute lines.
CodeLine CopyOf(const CodeLine& line);

// Breaks `text` at CR LF, lone CR and lone LF, without the breaks. A final break does not start
// another piece; the empty text gives no pieces.
std::vector<std::string_view> LineTexts(std::string_view text);

// The same pieces, each handed to `take(std::string_view piece, LineBreak lineBreak)` with the
// break that ended it, in order.
template <class Take>
void ForEachLine(std::string_view text, Take take) {
    const char* const first = text.data();
    const char* const last = first + text.size();
    // The next CR and the next LF, each looked for again only once it has been passed.
    const auto next = [last](const char* from, char c) {
        const void* found = std::memchr(from, c, static_cast<std::size_t>(last - from));
        return found != nullptr ? static_cast<const char*>(found) : last;
    };
    const char* cr = next(first, '\r');
    const char* lf = next(first, '\n');
    const char* begin = first;
    while (begin < last) {
        if (cr < begin) {
            cr = next(begin, '\r');
        }
        if (lf < begin) {
            lf = next(begin, '\n');
        }
        const char* end = std::min(cr, lf);
        const std::string_view piece(begin, static_cast<std::size_t>(end - begin));
        if (end == last) {
            take(piece, LineBreak::None);
            return;
        }
        const char* after = end + 1;
        LineBreak lineBreak = LineBreak::Lf;
        if (*end == '\r') {
            lineBreak = after < last && *after == '\n' ? LineBreak::CrLf : LineBreak::Cr;
            after += lineBreak == LineBreak::CrLf ? 1 : 0;
        }
        take(piece, lineBreak);
        begin = after;
    }
}

}  // namespace brindle::host
