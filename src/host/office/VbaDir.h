#pragma once
// A VBA project's "dir" stream, once decompressed: records of a two-byte id and a four-byte
// length, first the project's (its system, code page, name, references) and then a record per
// module, the module's records ending with a terminator.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::host {

// A record as it was read: its id, where it began in the stream and all its bytes, id and
// length included, to be given back unchanged.
struct DirRecord {
    std::uint16_t id = 0;
    std::size_t offset = 0;
    std::string bytes;
};

enum class VbaModuleType {
    Procedural,  // a standard module
    Document,    // a document's, a class or a form: code behind an object
};

struct VbaModule {
    std::string name;            // in the project's code page
    std::u16string unicodeName;  // empty when the stream has none
    std::string streamName;  // in the project's code page: the module's stream in the VBA storage
    std::u16string unicodeStreamName;  // the same name as the compound file spells it
    std::uint32_t textOffset = 0;      // where the compressed source begins in that stream
    VbaModuleType type = VbaModuleType::Procedural;
    bool readOnly = false;
    bool isPrivate = false;
    std::vector<DirRecord> records;  // from its name to its terminator
};

struct VbaDir {
    std::uint16_t codePage = 0;
    std::string projectName;         // in the project's code page
    std::vector<DirRecord> records;  // the project's, up to the modules' count and cookie
    std::vector<VbaModule> modules;
    DirRecord terminator;
};

// The records of a decompressed "dir" stream. Raises OfficeFileError naming the stream and the
// record's offset for a record of an id that does not belong where it is, or of a wrong length,
// or one cut off.
VbaDir ReadVbaDir(std::string_view stream);

// The stream's bytes again, from the records kept.
std::string WriteVbaDir(const VbaDir& dir);

// A module's source text: the bytes of its stream from `textOffset`, decompressed, in the
// project's code page. Raises OfficeFileError, naming `streamName`, for an offset past the
// stream or data that does not decompress.
std::string ModuleSource(std::string_view moduleStream, std::uint32_t textOffset,
                         std::string_view streamName);

}  // namespace brindle::host
