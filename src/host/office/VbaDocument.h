#pragma once
// The VBA project of an Office document, read from the document's bytes: an Open XML package's
// vbaProject.bin part, or the storage an Excel or Word 97-2003 file keeps it in. Its code page,
// each module's name, kind and source, and what forbids writing it back: a digital signature,
// a project locked for viewing. Written back with some modules' sources replaced.

#include <cstddef>
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

// Why the project must not be written: its signature, or its lock for viewing; nothing when
// it may be.
std::optional<std::string> WriteRefusal(const DocumentProject& project);

// Raises OfficeFileError naming `file`, or the stream, and the byte: for a document that holds
// no VBA project Brindle can read, an encrypted document, and any part that does not read as
// its format says.
DocumentProject ReadDocumentProject(std::string bytes, const std::string& file);

struct ModuleChange {
    std::size_t module;  // index into DocumentProject::modules (the dir stream's order)
    std::string source;  // the module's new source text, in the project's code page
};

// The document's bytes with the modules' sources replaced (the last change of a module counts),
// written as [MS-OVBA] tells writers to: a changed module's stream holds its compressed source
// alone, the project's compiled caches are dropped or disowned, and everything else keeps its
// bytes. When no source changes, the bytes come back as they are. Raises OfficeFileError (naming
// `file` or the stream) for a document ReadDocumentProject refuses, a change to a signed project
// or one locked for viewing, a module that is not there, and a result that does not read back as
// intended.
std::string WriteDocumentProject(std::string bytes, const std::string& file,
                                 const std::vector<ModuleChange>& changes);

// Whether the bytes are of a document that may hold a VBA project: false for a zip package
// without a vbaProject.bin part, a compound file without the storage of one, and bytes that are
// neither; true for all else, a document that does not read or is encrypted included, which
// ReadDocumentProject then tells of.
bool MayHoldVbaProject(std::string bytes);

// The data that the PROJECT stream's CMG, DPB and GC values hide, from their hexadecimal text;
// nothing for text that does not decode.
std::optional<std::string> RevealProjectValue(std::string_view hex);

}  // namespace brindle::host
