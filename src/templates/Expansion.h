#pragma once
// Expansion of a template for one module or procedure.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

// `member` is null for the module header. The template's UTF-8 text is converted into the
// module's code page.
std::string BuildCode(const AddinFields& fields, const std::string& tmplt, CodeModule& module,
                      const Member* member, std::int32_t line);

// Whether `name` is one of the eight keywords, in any letter case.
bool IsTemplateKeyword(std::string_view name);

// The next keyword reference at or after `start` (1-based): its name as written, or "".
std::string GetKeyword(std::string_view text, std::int32_t start, std::int32_t& keywordStart,
                       std::int32_t& keywordEnd);

// Whether the text refers to the keyword `name`, in any letter case.
bool NamesKeyword(std::string_view text, std::string_view name);

// The value of one of the eight keywords. Author and Date are converted into the module's code
// page. A value that cannot be computed is "".
std::string ExpandKeyword(const AddinFields& fields, std::string_view keyword, CodeModule& module,
                          const Member* member, std::int32_t line);

}  // namespace brindle
