#include "codegen/BlockText.h"

#include <algorithm>
#include <cctype>

#include "codegen/Insertion.h"
#include "codegen/TextCompare.h"
#include "host/model/VbError.h"
#include "templates/Expansion.h"

namespace brindle {
namespace {

// One line as literal pieces with holes between them: pieces.size() == holes.size() + 1. A
// hole stands for any text on the line; it is named after the keyword it takes the place of.
struct LinePattern {
    std::vector<std::string> pieces{std::string()};
    std::vector<std::string> holes;

    void Hole(std::string name) {
        holes.push_back(std::move(name));
        pieces.emplace_back();
    }
};

// Matches the holes from `hole` on, the piece before it already matched up to `at`; the
// shortest text for each hole first. `values` receives what each hole stood for.
bool MatchFrom(const LinePattern& pattern, std::string_view line, std::size_t hole, std::size_t at,
               std::vector<std::string_view>& values) {
    if (hole == pattern.holes.size()) {
        return at == line.size();
    }
    const std::string& next = pattern.pieces[hole + 1];
    const bool last = hole + 1 == pattern.holes.size();
    for (std::size_t end = at; end + next.size() <= line.size(); ++end) {
        if (last && end + next.size() != line.size()) {
            continue;
        }
        if (line.compare(end, next.size(), next) != 0) {
            continue;
        }
        values[hole] = line.substr(at, end - at);
        if (MatchFrom(pattern, line, hole + 1, end + next.size(), values)) {
            return true;
        }
    }
    return false;
}

bool Match(const LinePattern& pattern, std::string_view line,
           std::vector<std::string_view>* values = nullptr) {
    std::vector<std::string_view> found(pattern.holes.size());
    if (!line.starts_with(pattern.pieces.front()) ||
        !MatchFrom(pattern, line, 0, pattern.pieces.front().size(), found)) {
        return false;
    }
    if (values != nullptr) {
        *values = std::move(found);
    }
    return true;
}

// An expected line with a hole for each date in it.
LinePattern DatePattern(std::string_view line) {
    LinePattern pattern;
    std::size_t from = 0;
    for (auto hole = line.find(kDateHole); hole != std::string_view::npos;
         hole = line.find(kDateHole, from)) {
        pattern.pieces.back() += line.substr(from, hole - from);
        pattern.Hole("Date");
        from = hole + kDateHole.size();
    }
    pattern.pieces.back() += line.substr(from);
    return pattern;
}

bool IsMultiLineKeyword(std::string_view keyword) {
    return EqualsNoCase(keyword, "Parameters") || EqualsNoCase(keyword, "ParameterNames");
}

// A template line with a hole for each keyword. A keyword whose value spans lines ends the
// pattern: what follows it lands on a later line.
LinePattern TemplateLinePattern(std::string_view line) {
    LinePattern pattern;
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::size_t from = 0;
    for (auto keyword = GetKeyword(line, 1, start, end); !keyword.empty();
         keyword = GetKeyword(line, end + 1, start, end)) {
        pattern.pieces.back() += line.substr(from, static_cast<std::size_t>(start - 1) - from);
        pattern.Hole(keyword);
        from = static_cast<std::size_t>(end);
        if (IsMultiLineKeyword(keyword)) {
            return pattern;
        }
    }
    pattern.pieces.back() += line.substr(from);
    return pattern;
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

}  // namespace

std::vector<std::string> InsertedLines(std::string_view text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            lines.emplace_back();
        } else {
            lines.back().push_back(text[i]);
        }
    }
    return lines;
}

std::vector<std::string> InnerLines(CodeModule& module, const MarkedBlock& block) {
    std::vector<std::string> lines;
    for (auto line = block.begin.line + 1; line < block.end.line; ++line) {
        lines.push_back(module.Lines(line, 1));
    }
    return lines;
}

const std::string* TemplateOf(const AddinFields& fields, BlockRole role) {
    switch (role) {
        case BlockRole::ModuleHeader:
            return &fields.msModHdrTmplt;
        case BlockRole::ProcedureHeader:
            return &fields.msProcHdrTmplt;
        case BlockRole::ErrorHeader:
            return &fields.msErrHdrTmplt;
        case BlockRole::ErrorFooter:
            return &fields.msErrFtrTmplt;
        case BlockRole::Other:
            break;
    }
    return nullptr;
}

std::vector<std::string> ExpectedLines(const AddinFields& fields, CodeModule& module,
                                       BlockRole role, const ProcSpan* proc,
                                       const std::optional<std::string>& date) {
    const std::string* tmplt = TemplateOf(fields, role);
    if (tmplt == nullptr) {
        Raise(Err::InvalidCall, "VBBrindle");
    }
    AddinFields dated = fields;
    dated.todayText = date ? module.ToUnicode(*date) : std::string(kDateHole);
    if (proc == nullptr) {
        return InsertedLines(BuildCode(dated, *tmplt, module, nullptr, 1));
    }
    const auto bodyLine = module.ProcBodyLine(proc->name, proc->kind);
    const auto member = ProcedureMemberOf(module, proc->name);
    return InsertedLines(BuildCode(dated, *tmplt, module, member.get(), bodyLine));
}

bool SameApartFromDate(const std::vector<std::string>& expected,
                       const std::vector<std::string>& lines) {
    return expected.size() == lines.size() &&
           std::equal(expected.begin(), expected.end(), lines.begin(),
                      [](const std::string& want, const std::string& line) {
                          return want == line || Match(DatePattern(want), line);
                      });
}

int Likeness(const std::vector<std::string>& expected, const std::vector<std::string>& lines) {
    int alike = 0;
    for (const auto& want : expected) {
        const auto pattern = DatePattern(want);
        alike += std::any_of(lines.begin(), lines.end(),
                             [&](const std::string& line) { return Match(pattern, line); })
                     ? 1
                     : 0;
    }
    return alike;
}

std::optional<std::string> KeywordValueIn(const AddinFields& fields, CodeModule& module,
                                          BlockRole role, std::string_view keyword,
                                          const std::vector<std::string>& lines) {
    const std::string* tmplt = TemplateOf(fields, role);
    if (tmplt == nullptr) {
        return std::nullopt;
    }
    for (const auto& templateLine : InsertedLines(module.FromUnicode(*tmplt))) {
        const auto pattern = TemplateLinePattern(templateLine);
        const auto hole =
            std::find_if(pattern.holes.begin(), pattern.holes.end(),
                         [&](const auto& name) { return EqualsNoCase(name, keyword); });
        if (hole == pattern.holes.end()) {
            continue;
        }
        std::vector<std::string_view> values;
        for (const auto& line : lines) {
            if (Match(pattern, line, &values)) {
                return std::string(values[static_cast<std::size_t>(hole - pattern.holes.begin())]);
            }
        }
    }
    return std::nullopt;
}

std::vector<UnknownKeyword> UnknownKeywords(std::string_view tmplt) {
    std::vector<UnknownKeyword> unknown;
    int line = 1;
    std::size_t open = std::string_view::npos;
    for (std::size_t i = 0; i < tmplt.size(); ++i) {
        const char c = tmplt[i];
        if (c == '%') {
            const auto name = open == std::string_view::npos ? std::string_view()
                                                             : tmplt.substr(open + 1, i - open - 1);
            if (!name.empty() && !IsTemplateKeyword(name)) {
                unknown.push_back({std::string(name), line});
            }
            // A keyword's closing "%" opens nothing; a rejected name's may open the next.
            open = !name.empty() && IsTemplateKeyword(name) ? std::string_view::npos : i;
        } else if (c == '\n' || c == '\r') {
            line += c == '\n' ? 1 : 0;
            open = std::string_view::npos;
        } else if (!IsNameChar(c)) {
            open = std::string_view::npos;
        }
    }
    return unknown;
}

int MarkerLineIn(std::string_view tmplt) {
    const auto lines = InsertedLines(tmplt);
    const auto marker = std::find_if(lines.begin(), lines.end(), IsMarkerLine);
    return marker == lines.end() ? 0 : static_cast<int>(marker - lines.begin()) + 1;
}

void RefuseTemplatesWithMarkerLines(AddinFields& fields) {
    for (const auto& [path, text] : {std::pair{&fields.msModHdrFname, &fields.msModHdrTmplt},
                                     std::pair{&fields.msProcHdrFname, &fields.msProcHdrTmplt},
                                     std::pair{&fields.msErrHdrFname, &fields.msErrHdrTmplt},
                                     std::pair{&fields.msErrFtrFname, &fields.msErrFtrTmplt}}) {
        if (const int line = MarkerLineIn(*text); line > 0) {
            text->clear();
            fields.templateRefusals[*path] = {
                "its line " + std::to_string(line) +
                    " is a marker line, which would break the marked blocks it goes into",
                line};
        }
    }
}

}  // namespace brindle
