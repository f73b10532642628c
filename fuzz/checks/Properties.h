#pragma once
// The properties the fuzzers check, one function a target. Each takes any bytes: what the code
// under test refuses in its documented way (a VbError, a refusal of the file) passes, a broken
// property raises PropertyBroken. The fuzzers run them under libFuzzer; the regression suite
// runs them over every input that once failed, in every build.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::fuzz {

class PropertyBroken : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Raises PropertyBroken with `what` unless `holds`.
void Expect(bool holds, const std::string& what);

using Property = void (*)(std::string_view bytes);

struct Target {
    std::string_view name;  // of the fuzzer and of its folders in fuzz/corpus and fuzz/regressions
    Property check;
};

// Every target, in the order scripts/fuzz.sh runs them.
const std::vector<Target>& Targets();
// The target of that name; null for an unknown name.
const Target* FindTarget(std::string_view name);

// Loading and saving a module file gives its bytes back, or refuses it.
void ModuleFileRoundTrip(std::string_view bytes);
// The module's text, a NUL, then edits three bytes each: after every edit the procedure index
// answers as a fresh scan of the same text, its spans contiguous and covering.
void ProcedureIndex(std::string_view bytes);
// Declaration analysis and GetParms on the text, as a declaration and as a module.
void Declarations(std::string_view bytes);
// GetKeyword and BuildCode with the text as a template.
void Templates(std::string_view bytes);
// The text as a project, a group, a brindle.ini and a .brindleignore.
void TeamFiles(std::string_view bytes);
// The text as the --select argument.
void SelectArgument(std::string_view bytes);
// Add-all then remove-code-all through the add-in on the in-memory IDE gives the module file's
// bytes back.
void AddinRoundTrip(std::string_view bytes);
// Removing markers and marked code from the text as a module deletes only marker lines and
// lines inside well-formed blocks.
void MarkerRemoval(std::string_view bytes);
// The bytes as an Office document, and as its zip archive, compound file, compressed container
// and dir stream: each refused as its format says, or read; what is written back reads again as it
// was, and a zip archive keeps every entry it was not asked to replace byte for byte.
void OfficeFormats(std::string_view bytes);

}  // namespace brindle::fuzz
