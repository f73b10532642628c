#pragma once
// The procedures touched by a code pane's selection.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/Vbide.h"

namespace brindle {

struct ProcInfo {
    std::string gsProcName;
    vbext_ProcKind geProcKind = vbext_pk_Proc;
};

// An ordered collection keyed by name, "_" and kind; keys compare without regard to case
// (ASCII letters, as in LineHelpers).
class ProcList {
public:
    // Raises 457 when the key is taken; the first entry stays.
    void Add(ProcInfo info);
    // False, and nothing added, when the key is taken.
    bool TryAdd(ProcInfo info);
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const ProcInfo& operator[](std::size_t i) const { return entries_[i]; }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

    static std::string KeyOf(const ProcInfo& info);

private:
    std::vector<ProcInfo> entries_;
    std::unordered_set<std::string> keys_;  // case folded
};

// The pane's selection, with an end at column 1 of a later line pulled back to the end of the
// line above.
void GetSelection(CodePane& pane, std::int32_t& startLine, std::int32_t& startColumn,
                  std::int32_t& endLine, std::int32_t& endColumn);

// Each procedure touched by the selection of the module's pane, once, in line order.
ProcList GetSelectedProcs(CodeModule& module);

}  // namespace brindle
