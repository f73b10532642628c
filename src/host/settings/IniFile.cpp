#include "host/settings/IniFile.h"

#include <algorithm>
#include <utility>

#include "host/vb6/CodePage.h"
#include "util/Text.h"
#include "util/Unicode.h"

namespace brindle::host {
namespace {

constexpr std::string_view kHex = "0123456789ABCDEF";

int HexValue(char c) {
    const auto digit = kHex.find(static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c));
    return digit == std::string_view::npos ? -1 : static_cast<int>(digit);
}

bool IsAsciiLetterOrDigit(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// "/" as "\", letters, digits and "_-." as they are, anything else as %XX or %UXXXX.
std::string EscapeKey(std::string_view key) {
    std::string out;
    for (const char16_t unit : Utf16FromUtf8(key)) {
        if (unit == '/') {
            out += '\\';
        } else if (IsAsciiLetterOrDigit(unit) || unit == '_' || unit == '-' || unit == '.') {
            out += static_cast<char>(unit);
        } else {
            out += unit <= 0xFF ? "%" : "%U";
            for (int shift = unit <= 0xFF ? 4 : 12; shift >= 0; shift -= 4) {
                out += kHex[(unit >> shift) & 0xF];
            }
        }
    }
    return out;
}

std::string UnescapeKey(std::string_view escaped) {
    const std::u16string key = Utf16FromUtf8(escaped);
    std::u16string out;
    for (std::size_t i = 0; i < key.size();) {
        if (key[i] == '\\') {
            out += u'/';
            ++i;
            continue;
        }
        const std::size_t digits = i + 1 < key.size() && key[i + 1] == 'U' ? 4 : 2;
        const std::size_t first = i + 1 + (digits == 4 ? 1 : 0);
        int value = key[i] == '%' && first + digits <= key.size() ? 0 : -1;
        for (std::size_t k = first; value >= 0 && k < first + digits; ++k) {
            const int digit = key[k] < 0x80 ? HexValue(static_cast<char>(key[k])) : -1;
            value = digit < 0 ? -1 : value * 16 + digit;
        }
        if (value < 0) {
            out += key[i++];
        } else {
            out += static_cast<char16_t>(value);
            i = first + digits;
        }
    }
    return Utf8FromUtf16(out);
}

std::string LowerHex(unsigned value) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return digits;
}

// "\" and "\"" escaped, control characters as \n, \t, ... or \xN (and a hex digit right after
// such a \xN too); in quotes when it holds ",", ";" or "=", or begins or ends with a space. A
// leading "@" is doubled.
std::string EscapeValue(std::string_view value) {
    static constexpr std::string_view kControls = "\a\b\f\n\r\t\v";
    static constexpr std::string_view kLetters = "abfnrtv";
    std::string text(value.starts_with('@') ? 1 : 0, '@');
    text += value;
    std::string out;
    bool quote = false;
    bool escapeHexDigit = false;
    for (const char c : text) {
        quote = quote || c == ';' || c == ',' || c == '=';
        const bool afterHex = std::exchange(escapeHexDigit, false);
        const auto control = c == '\0' ? std::string_view::npos : kControls.find(c);
        if (afterHex && HexValue(c) >= 0) {
            out += "\\x";
            out += LowerHex(static_cast<unsigned char>(c));
        } else if (c == '\0') {
            out += "\\0";
            escapeHexDigit = true;
        } else if (control != std::string_view::npos) {
            out += '\\';
            out += kLetters[control];
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) <= 0x1F) {
            out += "\\x";
            out += LowerHex(static_cast<unsigned char>(c));
            escapeHexDigit = true;
        } else {
            out += c;
        }
    }
    if (quote || (!out.empty() && (out.front() == ' ' || out.back() == ' '))) {
        out.insert(out.begin(), '"');
        out += '"';
    }
    return out;
}

// Reads a value as QSettings does: quotes group, backslash escapes, a bare comma separates the
// items of a list (given back joined by ", "), spaces around unquoted items go. "@@" stands for
// "@", "@String(...)" and "@ByteArray(...)" for their text; "@Invalid()" for no value.
std::optional<std::string> UnescapeValue(std::string_view raw) {
    std::vector<std::u16string> items;
    std::u16string current;
    bool inQuotes = false;
    bool quoted = false;
    std::size_t chopLimit = 0;
    const auto chop = [&] {
        while (current.size() > chopLimit && (current.back() == ' ' || current.back() == '\t')) {
            current.pop_back();
        }
    };
    const auto skipSpaces = [&](std::size_t& i) {
        while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t')) {
            ++i;
        }
    };
    std::size_t i = 0;
    skipSpaces(i);
    chopLimit = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '\\') {
            if (++i >= raw.size()) {
                break;
            }
            const char e = raw[i++];
            static constexpr std::string_view kEscapes = "abfnrtv\"?'\\";
            static constexpr std::string_view kMeanings = "\a\b\f\n\r\t\v\"?'\\";
            const bool isHex = e == 'x' && i < raw.size() && HexValue(raw[i]) >= 0;
            if (const auto k = kEscapes.find(e); k != std::string_view::npos) {
                current += static_cast<char16_t>(kMeanings[k]);
                chopLimit = current.size();
                continue;
            }
            if (isHex || (e >= '0' && e <= '7')) {
                const unsigned base = isHex ? 16 : 8;
                unsigned value = isHex ? 0 : static_cast<unsigned>(e - '0');
                while (i < raw.size() && HexValue(raw[i]) >= 0 &&
                       HexValue(raw[i]) < static_cast<int>(base)) {
                    value = value * base + static_cast<unsigned>(HexValue(raw[i++]));
                }
                current += static_cast<char16_t>(value);
                chopLimit = current.size();
                continue;
            }
            if ((e == '\n' || e == '\r') && i < raw.size() && (raw[i] == '\n' || raw[i] == '\r') &&
                raw[i] != e) {
                ++i;
            }
            chopLimit = current.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipSpaces(i);
                chopLimit = current.size();
            }
        } else if (c == ',' && !inQuotes) {
            if (!quoted) {
                chop();
            }
            items.push_back(std::exchange(current, {}));
            quoted = false;
            ++i;
            skipSpaces(i);
            chopLimit = 0;
        } else {
            std::size_t j = i + 1;
            while (j < raw.size() && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',') {
                ++j;
            }
            current += Utf16FromUtf8(raw.substr(i, j - i));
            i = j;
        }
    }
    if (!quoted) {
        chop();
    }
    items.push_back(std::move(current));

    std::string joined;
    for (std::size_t k = 0; k < items.size(); ++k) {
        std::string item = Utf8FromUtf16(items[k]);
        if (item.starts_with('@') && item.ends_with(')')) {
            if (item == "@Invalid()" && items.size() == 1) {
                return std::nullopt;
            }
            for (const std::string_view prefix : {"@String(", "@ByteArray("}) {
                if (item.starts_with(prefix)) {
                    item = item.substr(prefix.size(), item.size() - prefix.size() - 1);
                }
            }
        }
        if (item.starts_with("@@")) {
            item.erase(0, 1);
        }
        joined += k == 0 ? "" : ", ";
        joined += item;
    }
    return joined;
}

// One logical line as QSettings reads it: a line break inside quotes or after a backslash does
// not end it, a ";" outside quotes does (a comment follows), and a line that begins with ";"
// is a comment. Returns false at the end of the text.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t equals = std::string_view::npos;
};

bool ReadLine(std::string_view data, std::size_t& pos, Line& line) {
    std::size_t start = pos;
    while (start < data.size() && IsWhitespace(data[start])) {
        ++start;
    }
    std::size_t i = start;
    bool inQuotes = false;
    line.equals = std::string_view::npos;
    while (i < data.size()) {
        const char c = data[i++];
        if (c == '=') {
            if (!inQuotes && line.equals == std::string_view::npos) {
                line.equals = i - 1;
            }
        } else if (c == '\n' || c == '\r') {
            if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < data.size()) {
                const char next = data[i++];
                if (i < data.size() &&
                    ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n'))) {
                    ++i;
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) {
                while (i < data.size() && data[i] != '\n' && data[i] != '\r') {
                    ++i;
                }
                while (i < data.size() && IsWhitespace(data[i])) {
                    ++i;
                }
                start = i;
                line.equals = std::string_view::npos;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.begin = start;
    line.end = i;
    return i > start;
}

}  // namespace

IniFile::IniFile(std::string text, IniForm form, std::string_view lineBreak)
    : text_(std::move(text)), form_(form), newLineBreak_(lineBreak) {
    Parse();
}

void IniFile::Parse() {
    entries_.clear();
    if (form_ == IniForm::Plain) {
        ParsePlain();
        return;
    }
    std::string section;
    std::size_t pos = text_.starts_with("\xEF\xBB\xBF") ? 3 : 0;  // as an editor may save it
    Line line;
    while (ReadLine(text_, pos, line)) {
        const std::string_view content =
            std::string_view(text_).substr(line.begin, line.end - line.begin);
        if (content.front() == '[') {
            const std::size_t close = content.find(']');
            const std::string_view name = TrimWhitespace(
                content.substr(1, close == std::string_view::npos ? content.npos : close - 1));
            section = EqualsIgnoringCase(name, "general")    ? std::string()
                      : EqualsIgnoringCase(name, "%general") ? std::string("general")
                                                             : UnescapeKey(name);
            entries_.push_back({section, {}, line.begin, line.end, {}, 0});
        } else if (line.equals != std::string_view::npos) {
            const std::size_t equals = line.equals - line.begin;
            entries_.push_back({section, UnescapeKey(TrimWhitespace(content.substr(0, equals))),
                                line.begin, line.end, std::string(content.substr(equals + 1)), 0});
        }
    }
}

void IniFile::ParsePlain() {
    others_.clear();
    std::string section;
    int number = 1;
    for (std::size_t begin = text_.starts_with("\xEF\xBB\xBF") ? 3 : 0; begin < text_.size();) {
        const std::size_t end = std::min(text_.find_first_of("\r\n", begin), text_.size());
        const std::string_view line =
            TrimWhitespace(std::string_view(text_).substr(begin, end - begin));
        const std::size_t equals = line.find('=');
        const bool says = !line.empty() && !line.starts_with(';') && !line.starts_with('#');
        if (line.starts_with('[')) {
            section = TrimWhitespace(line.substr(1, line.find(']') - 1));
            entries_.push_back({section, {}, begin, end, {}, number});
        } else if (says && equals != line.npos) {
            std::string_view value = line.substr(equals + 1);
            for (std::size_t at = value.find(';'); at != value.npos; at = value.find(';', at + 1)) {
                if (at > 0 && (value[at - 1] == ' ' || value[at - 1] == '\t')) {
                    value = value.substr(0, at);
                    break;
                }
            }
            entries_.push_back({section, std::string(TrimWhitespace(line.substr(0, equals))), begin,
                                end, std::string(TrimWhitespace(value)), number});
        } else if (says) {
            others_.push_back({Item::Kind::Other, section, std::string(line), {}, number});
        }
        // A CR LF ends one line: the LF is counted.
        const bool crlf = text_.compare(end, 2, "\r\n") == 0;
        number += end < text_.size() && !crlf ? 1 : 0;
        begin = end + 1;
    }
}

std::vector<IniFile::Item> IniFile::Items() const {
    std::vector<Item> items;
    for (const Entry& entry : entries_) {
        const auto kind = entry.key.empty() ? Item::Kind::Section : Item::Kind::Entry;
        items.push_back({kind, entry.section, entry.key, entry.value, entry.line});
    }
    items.insert(items.end(), others_.begin(), others_.end());
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.line < b.line; });
    return items;
}

const IniFile::Entry* IniFile::Find(std::string_view section, std::string_view key) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (!it->key.empty() && EqualsIgnoringCase(it->section, section) &&
            EqualsIgnoringCase(it->key, key)) {
            return &*it;
        }
    }
    return nullptr;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
    const Entry* entry = Find(section, key);
    if (entry == nullptr) {
        return std::nullopt;
    }
    return form_ == IniForm::Plain ? entry->value : UnescapeValue(entry->value);
}

std::string IniFile::LineBreak() const {
    const std::size_t at = text_.find_first_of("\r\n");
    if (at == std::string::npos) {
        return newLineBreak_;
    }
    return text_.compare(at, 2, "\r\n") == 0 ? "\r\n" : std::string(1, text_[at]);
}

bool IniFile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    const bool plain = form_ == IniForm::Plain;
    std::string before = text_;
    std::string line = plain ? std::string(key) : EscapeKey(key);
    line += '=';
    line += plain ? std::string(value) : EscapeValue(value);
    const std::string lineBreak = LineBreak();
    if (const Entry* entry = Find(section, key)) {
        std::size_t end = entry->end;
        while (end > entry->begin && (text_[end - 1] == ' ' || text_[end - 1] == '\t')) {
            --end;
        }
        text_.replace(entry->begin, end - entry->begin, line);
    } else if (auto last = std::find_if(
                   entries_.rbegin(), entries_.rend(),
                   [&](const Entry& e) { return EqualsIgnoringCase(e.section, section); });
               last != entries_.rend() && !section.empty()) {
        text_.insert(last->end, lineBreak + line);
    } else {
        if (!text_.empty() && !text_.ends_with('\n') && !text_.ends_with('\r')) {
            text_ += lineBreak;
        }
        if (!text_.empty()) {
            text_ += lineBreak;
        }
        for (const std::string& part :
             {std::string("["), plain ? std::string(section) : EscapeKey(section), std::string("]"),
              lineBreak, line, lineBreak}) {
            text_ += part;
        }
    }
    Parse();
    // A quote that is never closed takes the rest of the file into its value, the new line too.
    const Entry* written = Find(section, key);
    if (written == nullptr || text_.compare(written->begin, line.size(), line) != 0) {
        text_ = std::move(before);
        Parse();
        return false;
    }
    return true;
}

}  // namespace brindle::host
