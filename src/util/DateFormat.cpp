#include "util/DateFormat.h"

#include <cstdio>
#include <optional>

#include "util/Text.h"

namespace brindle {
namespace {

// Short Date where the host tells no regional format, as the C locale writes it.
constexpr std::string_view kShortDatePattern = "mm/dd/yy";
constexpr std::string_view kIsoPattern = "yyyy-mm-dd";

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The pattern a named format stands for; the text itself otherwise.
std::string_view PatternOf(std::string_view format) {
    if (IsShortDate(format)) {
        return kShortDatePattern;
    }
    return EqualsNoCase(TrimSpaces(format), "ISO") ? kIsoPattern : format;
}

std::string Digits(int value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
}

// The text of one run of a field's letter ("dd"); empty for a run no field has.
std::string FieldText(char letter, std::size_t length, CalendarDate date) {
    switch (LowerAscii(letter)) {
        case 'd':
            return length <= 2 ? Digits(date.day, static_cast<int>(length)) : std::string();
        case 'm':
            return length <= 2 ? Digits(date.month, static_cast<int>(length)) : std::string();
        case 'y':
            if (length == 2) {
                return Digits(date.year % 100, 2);
            }
            return length == 4 ? Digits(date.year, 4) : std::string();
        default:
            return {};
    }
}

// The pattern with each run of d, m or y replaced; nothing when it holds another letter, a
// digit, a run no field has, or no field at all.
std::optional<std::string> Expand(std::string_view pattern, CalendarDate date) {
    std::string text;
    bool fields = false;
    for (std::size_t at = 0; at < pattern.size();) {
        const char c = pattern[at];
        if (IsDigit(c)) {
            return std::nullopt;
        }
        if (!IsLetter(c)) {
            text += c;
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < pattern.size() && LowerAscii(pattern[end]) == LowerAscii(c)) {
            ++end;
        }
        const std::string field = FieldText(c, end - at, date);
        if (field.empty()) {
            return std::nullopt;
        }
        text += field;
        fields = true;
        at = end;
    }
    return fields ? std::optional(text) : std::nullopt;
}

}  // namespace

bool IsShortDate(std::string_view format) {
    const std::string_view name = TrimSpaces(format);
    return name.empty() || EqualsNoCase(name, "Short Date");
}

std::string DateFormatProblem(std::string_view format) {
    if (Expand(PatternOf(format), {}).has_value()) {
        return {};
    }
    std::string problem(1, '"');
    problem.append(format).append(
        "\" is no date format: give Short Date (the regional short date format), ISO, or a "
        "pattern of d, dd, m, mm, yy and yyyy with other characters that are no letters or "
        "digits between them (dd.mm.yyyy, mm/dd/yy)");
    return problem;
}

std::string FormatDate(std::string_view format, CalendarDate date, const RegionalDate& regional) {
    if (!IsShortDate(format)) {
        if (auto text = Expand(PatternOf(format), date)) {
            return *text;
        }
    }
    std::string text = regional ? regional(date) : std::string();
    return text.empty() ? *Expand(kShortDatePattern, date) : text;
}

}  // namespace brindle
