#pragma once
// The VBA project of an Office document, read from the document's bytes: an Open XML package's
// vbaProject.bin part, or the storage an Excel or Word 97-2003 file keeps it in. Its code page,
// each module's name, kind and source, and what forbids writing it back: a digital signature,
// a project locked for viewing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::host {

enum class VbaModuleKind { Standard, Class, Document, Form };

struct DocumentModule {
    std::string name;        // in the project's code page
    std::string streamName;  // its stream in the VBA storage
    VbaModuleKind kind = VbaModuleKind::Standard;
    std::string source;  // its text, in the project's code page
};

struct DocumentProject {
    std::uint16_t codePage = 0;
    std::string name;  // in the project's code page
    std::vector<DocumentModule> modules;
    bool isSigned = false;  // writing would break the signature
    bool lockedForViewing = false;
};

// Raises OfficeFileError naming `file`, or the stream, and the byte: for a document that holds
// no VBA project Brindle can read, an encrypted document, and any part that does not read as
// its format says.
DocumentProject ReadDocumentProject(std::string bytes, const std::string& file);

// The data that the PROJECT stream's CMG, DPB and GC values hide, from their hexadecimal text;
// nothing for text that does not decode.
std::optional<std::string> RevealProjectValue(std::string_view hex);

}  // namespace brindle::host
