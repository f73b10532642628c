#include "templates/Expansion.h"

#include <algorithm>
#include <ctime>
#include <mutex>
#include <vector>

#include "analysis/LineHelpers.h"
#include "analysis/ProcDecl.h"
#include "model/AddinName.h"
#include "model/VbError.h"
#include "templates/Keywords.h"
#include "util/DateFormat.h"
#include "util/Text.h"

namespace brindle {
namespace {

std::int32_t ToPosition(std::size_t index) {
    return static_cast<std::int32_t>(index + 1);
}

std::string Declaration(CodeModule& module, std::int32_t line) {
    std::int32_t lineCount = 0;
    return GetProcDeclLine(module, line, lineCount);
}

// The first word that is no parameter keyword; runs of spaces separate words like one space.
std::string ParameterName(std::string_view parm) {
    std::string_view rest = TrimSpaces(parm);
    while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        const std::string_view word = rest.substr(0, space);
        if (!word.empty() && !IsParmListKeyword(word)) {
            return std::string(word);
        }
        rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
    }
    return {};
}

enum class ParmPart { Declaration, Name };

// One comment line per parameter, each opened by CR LF, an apostrophe and a tab.
std::string ParameterLines(CodeModule& module, std::int32_t line, ParmPart part) {
    std::vector<std::string> parms;
    const std::int32_t count = GetParms(Declaration(module, line), parms);
    std::string value;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string& parm = parms[static_cast<std::size_t>(i)];
        value += "\r\n'\t";
        value += part == ParmPart::Name ? ParameterName(parm) : std::string(TrimSpaces(parm));
    }
    return value;
}

// The local date of `now` in the Date Format option, worked out once for the command. Check
// expands templates on several threads, and localtime's result is shared by all of them.
std::string Today(const AddinFields& fields) {
    static std::mutex shared;
    const std::lock_guard lock(shared);
    if (!fields.todayText) {
        const std::time_t time = std::chrono::system_clock::to_time_t(fields.clock());
        const std::tm* local = std::localtime(&time);
        if (local == nullptr) {
            Raise(Err::InvalidCall, kAddinComponent);
        }
        fields.todayText = FormatDate(fields.msDateFormat,
                                      {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday},
                                      fields.regionalDate);
    }
    return *fields.todayText;
}

std::string ValueOf(const AddinFields& fields, std::string_view keyword, CodeModule& module,
                    const Member* member, std::int32_t line) {
    if (EqualsNoCase(keyword, "ModuleName")) {
        return module.Parent().Name();
    }
    if (EqualsNoCase(keyword, "ProcedureName")) {
        if (member == nullptr) {
            Raise(Err::ObjectNotSet, kAddinComponent);
        }
        return member->Name();
    }
    if (EqualsNoCase(keyword, "ProcedureType")) {
        return ProcedureTypeOf(Declaration(module, line));
    }
    if (EqualsNoCase(keyword, "TypedScopedProcedureName")) {
        const std::string declaration = Declaration(module, line);
        const std::size_t open = declaration.find('(');
        return open == std::string::npos ? std::string() : declaration.substr(0, open);
    }
    if (EqualsNoCase(keyword, "Parameters")) {
        return ParameterLines(module, line, ParmPart::Declaration);
    }
    if (EqualsNoCase(keyword, "ParameterNames")) {
        return ParameterLines(module, line, ParmPart::Name);
    }
    if (EqualsNoCase(keyword, "Author")) {
        return module.FromUnicode(fields.msAuthor);
    }
    if (EqualsNoCase(keyword, "Date")) {
        return module.FromUnicode(Today(fields));
    }
    return {};
}

}  // namespace

bool IsTemplateKeyword(std::string_view name) {
    return std::any_of(kTemplateKeywords.begin(), kTemplateKeywords.end(),
                       [&](const TemplateKeyword& k) { return EqualsNoCase(name, k.name); });
}

std::string BuildCode(const AddinFields& fields, const std::string& tmplt, CodeModule& module,
                      const Member* member, std::int32_t line) {
    return PassOn("Brindle.BuildCode", [&] {
        std::string code = module.FromUnicode(tmplt);
        std::int32_t start = 0;
        std::int32_t end = 0;
        std::string keyword = GetKeyword(code, 1, start, end);
        while (!keyword.empty()) {
            const std::string value = ExpandKeyword(fields, keyword, module, member, line);
            code.replace(static_cast<std::size_t>(start - 1),
                         static_cast<std::size_t>(end - start + 1), value);
            // Resumes after the value, so a value is never searched for keywords.
            keyword = GetKeyword(code, start + static_cast<std::int32_t>(value.size()), start, end);
        }
        if (!code.empty() && (code.back() == '\r' || code.back() == '\n')) {
            code.pop_back();
        }
        return code;
    });
}

std::string GetKeyword(std::string_view text, std::int32_t start, std::int32_t& keywordStart,
                       std::int32_t& keywordEnd) {
    return PassOn("Brindle.GetKeyword", [&] {
        if (start < 1) {
            Raise(Err::InvalidCall, kAddinComponent);
        }
        std::size_t from = static_cast<std::size_t>(start - 1);
        for (;;) {
            const std::size_t open = text.find('%', from);
            const std::size_t close =
                open == std::string_view::npos ? open : text.find('%', open + 1);
            if (close == std::string_view::npos) {
                return std::string();
            }
            const std::string_view name = text.substr(open + 1, close - open - 1);
            if (IsTemplateKeyword(name)) {
                keywordStart = ToPosition(open);
                keywordEnd = ToPosition(close);
                return std::string(name);
            }
            from = open + 1;  // the closing "%" may open the next reference
        }
    });
}

bool NamesKeyword(std::string_view text, std::string_view name) {
    std::int32_t start = 0;
    std::int32_t end = 0;
    for (auto keyword = GetKeyword(text, 1, start, end); !keyword.empty();
         keyword = GetKeyword(text, end + 1, start, end)) {
        if (EqualsNoCase(keyword, name)) {
            return true;
        }
    }
    return false;
}

std::string ExpandKeyword(const AddinFields& fields, std::string_view keyword, CodeModule& module,
                          const Member* member, std::int32_t line) {
    try {
        return ValueOf(fields, keyword, module, member, line);
    } catch (...) {
        return {};  // a value that cannot be computed is empty, and the expansion goes on
    }
}

}  // namespace brindle
