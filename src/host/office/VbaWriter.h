#pragma once
// A VBA project's storage with some modules' sources replaced, as [MS-OVBA] tells writers to
// write one: the changed modules' streams hold their compressed source alone, the dir stream
// points at it, and the compiled forms the application caches are dropped or disowned so that it
// compiles every module from its source. Everything else in the storage keeps its bytes.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/office/CompoundFile.h"

namespace brindle::host {

// The names of the streams of the VBA storage that were rewritten and of those removed.
struct RewrittenStreams {
    std::vector<std::u16string> rewritten;
    std::vector<std::u16string> removed;
};

// Replaces in `project` (the storage that holds "VBA" and "PROJECT") the source of each module
// of `sources` (by its index in the dir stream). Raises OfficeFileError, naming the stream, for
// a VBA storage without its _VBA_PROJECT or dir stream, or a module index not in the dir stream.
RewrittenStreams ReplaceSources(CompoundEntry& project,
                                const std::map<std::size_t, std::string>& sources);

// Raises OfficeFileError, naming `file`, unless every storage and stream of `before` is in
// `after` as it was (bytes, CLSID, state bits, times), but the streams of `changes` in the
// project storage at `project` (the root when empty), and `after` holds nothing else.
void CheckOnlyRewrittenChanged(const CompoundEntry& before, const CompoundEntry& after,
                               std::u16string_view project, const RewrittenStreams& changes,
                               const std::string& file);

}  // namespace brindle::host
