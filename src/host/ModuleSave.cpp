#include "host/MemoryProject.h"
#include "host/model/VbError.h"

namespace brindle::host {

std::string MemoryComponent::Serialize() const {
    std::string out;
    for (const SourceLine& line : layout_.header) {
        out += line.text;
        out +=
            BreakBytes(line.lineBreak == LineBreak::None ? layout_.dominantBreak : line.lineBreak);
    }
    if (code_) {
        for (const CodeLine& line : code_->StoredLines()) {
            out += line.text;
            out += BreakBytes(line.lineBreak == LineBreak::None ? layout_.dominantBreak
                                                                : line.lineBreak);
        }
    }
    return out;
}

bool MemoryComponent::Save() {
    Raise(Err::PathFileAccess, "ModuleFile.Save");
}

}  // namespace brindle::host
