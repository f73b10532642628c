#include "host/office/VbaDir.h"

#include <algorithm>
#include <array>
#include <optional>

#include "host/office/Compression.h"
#include "host/office/LittleEndian.h"
#include "host/office/OfficeError.h"

namespace brindle::host {

namespace {

constexpr std::string_view kDir = "dir";

enum Id : std::uint16_t {
    kCodePage = 0x0003,
    kProjectName = 0x0004,
    kVersion = 0x0009,
    kModuleCount = 0x000F,
    kDirTerminator = 0x0010,
    kProjectCookie = 0x0013,
    kModuleName = 0x0019,
    kStreamName = 0x001A,
    kProcedural = 0x0021,
    kDocument = 0x0022,
    kReadOnly = 0x0025,
    kPrivate = 0x0028,
    kModuleTerminator = 0x002B,
    kTextOffset = 0x0031,
    kUnicodeStreamName = 0x0032,
    kUnicodeName = 0x0047,
};

struct Kind {
    std::uint16_t id;
    int length;  // -1: any
};

// The project's records before its modules: information and references.
constexpr std::array<Kind, 25> kProjectRecords{{
    {0x0001, 4},          // the system it was saved on
    {0x004A, 4},          // the version of the format it is compatible with
    {0x0002, 4},          // its locale
    {0x0014, 4},          // the locale its calls are made in
    {kCodePage, 2},       // the code page of its text
    {kProjectName, -1},   // its name
    {0x0005, -1},         // its description
    {0x0040, -1},         // ... in UTF-16
    {0x0006, -1},         // its help file
    {0x003D, -1},         // ... the second path of it
    {0x0007, 4},          // its help topic
    {0x0008, 4},          // its type library's flags
    {kVersion, 4},        // its version, major and minor
    {0x000C, -1},         // its conditional compilation constants
    {0x003C, -1},         // ... in UTF-16
    {0x0016, -1},         // a reference's name
    {0x003E, -1},         // ... in UTF-16
    {0x0033, -1},         // a control reference's original type library
    {0x002F, -1},         // a control reference
    {0x0030, -1},         // ... its extended part
    {0x000D, -1},         // a reference to a registered type library
    {0x000E, -1},         // a reference to another project
    {kModuleCount, 2},    // the count of modules
    {kProjectCookie, 2},  // (ignored)
    {kDirTerminator, 0},  // the end of the stream
}};

// A module's records, from its name to its terminator.
constexpr std::array<Kind, 13> kModuleRecords{{
    {kModuleName, -1},         // its name
    {kUnicodeName, -1},        // ... in UTF-16
    {kStreamName, -1},         // its stream's name
    {kUnicodeStreamName, -1},  // ... in UTF-16
    {0x001C, -1},              // its description
    {0x0048, -1},              // ... in UTF-16
    {kTextOffset, 4},          // where its source begins in its stream
    {0x001E, 4},               // its help topic
    {0x002C, 2},               // (ignored)
    {kProcedural, 0},          // a standard module
    {kDocument, 0},            // a document's module, a class or a form
    {kReadOnly, 0},            // read-only
    {kPrivate, 0},             // private to its project
}};

std::string Hex(std::uint16_t id) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    std::string out = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += digits[id >> shift & 0xF];
    }
    return out;
}

class RecordReader {
public:
    explicit RecordReader(std::string_view stream) : stream_(stream) {}

    bool AtEnd() const { return at_ == stream_.size(); }
    std::size_t Offset() const { return at_; }

    std::uint16_t PeekId() const {
        Need(2, "record id cut off");
        return le::U16(stream_, at_);
    }

    // The next record, which must be of one of `kinds` and of its length.
    template <std::size_t N>
    DirRecord Next(const std::array<Kind, N>& kinds, std::string_view section) {
        Need(6, "record header cut off");
        std::uint16_t id = le::U16(stream_, at_);
        std::uint32_t length = le::U32(stream_, at_ + 2);
        auto kind =
            std::find_if(kinds.begin(), kinds.end(), [&](const Kind& k) { return k.id == id; });
        if (kind == kinds.end()) {
            RaiseBadFormat(kDir, at_,
                           "record " + Hex(id) + " does not belong in " + std::string(section));
        }
        if (kind->length >= 0 && length != static_cast<std::uint32_t>(kind->length)) {
            RaiseBadFormat(kDir, at_,
                           "record " + Hex(id) + " of " + std::to_string(length) +
                               " bytes, where " + std::to_string(kind->length) + " belong");
        }
        // The version's length is that of its first field, the major version; the minor
        // version's two bytes follow uncounted.
        std::size_t size = 6 + std::size_t{length} + (id == kVersion ? 2 : 0);
        Need(size, "record " + Hex(id) + " runs past the end of the stream");
        DirRecord record{id, at_, std::string(stream_.substr(at_, size))};
        at_ += size;
        return record;
    }

private:
    void Need(std::size_t bytes, std::string_view what) const {
        if (stream_.size() - at_ < bytes) {
            RaiseBadFormat(kDir, at_, what);
        }
    }

    std::string_view stream_;
    std::size_t at_ = 0;
};

std::u16string Utf16(std::string_view littleEndian) {
    std::u16string text;
    for (std::size_t at = 0; at + 1 < littleEndian.size(); at += 2) {
        text += static_cast<char16_t>(le::U16(littleEndian, at));
    }
    return text;
}

std::string_view Data(const DirRecord& record) {
    return std::string_view(record.bytes).substr(6);
}

void ReadProject(RecordReader& reader, VbaDir& dir) {
    bool codePage = false;
    while (true) {
        DirRecord record = reader.Next(kProjectRecords, "the project's information");
        if (record.id == kCodePage) {
            dir.codePage = le::U16(record.bytes, 6);
            codePage = true;
        } else if (record.id == kProjectName) {
            dir.projectName = Data(record);
        } else if (record.id == kProjectCookie || record.id == kDirTerminator) {
            RaiseBadFormat(kDir, record.offset,
                           "record " + Hex(record.id) + " before the count of modules");
        }
        bool count = record.id == kModuleCount;
        dir.records.push_back(std::move(record));
        if (count) {
            break;
        }
    }
    if (!codePage) {
        RaiseBadFormat(kDir, reader.Offset(), "no code page before the modules");
    }
    std::size_t at = reader.Offset();
    if (reader.PeekId() != kProjectCookie) {
        RaiseBadFormat(kDir, at, "no project cookie after the count of modules");
    }
    dir.records.push_back(reader.Next(kProjectRecords, "the project's information"));
}

void Take(VbaModule& module, const DirRecord& record) {
    switch (record.id) {
        case kModuleName:
            module.name = Data(record);
            break;
        case kUnicodeName:
            module.unicodeName = Utf16(Data(record));
            break;
        case kStreamName:
            module.streamName = Data(record);
            break;
        case kUnicodeStreamName:
            module.unicodeStreamName = Utf16(Data(record));
            break;
        case kTextOffset:
            module.textOffset = le::U32(record.bytes, 6);
            break;
        case kDocument:
            module.type = VbaModuleType::Document;
            break;
        case kReadOnly:
            module.readOnly = true;
            break;
        case kPrivate:
            module.isPrivate = true;
            break;
        default:
            break;
    }
}

VbaModule ReadModule(RecordReader& reader) {
    std::size_t start = reader.Offset();
    if (reader.PeekId() != kModuleName) {
        RaiseBadFormat(kDir, start,
                       "record " + Hex(reader.PeekId()) + " where a module's name belongs");
    }
    VbaModule module;
    bool stream = false, offset = false, type = false;
    while (reader.PeekId() != kModuleTerminator) {
        DirRecord record = reader.Next(kModuleRecords, "a module");
        if (record.id == kModuleName && !module.records.empty()) {
            RaiseBadFormat(kDir, record.offset, "a module's name before the last one ended");
        }
        stream = stream || record.id == kStreamName;
        offset = offset || record.id == kTextOffset;
        type = type || record.id == kProcedural || record.id == kDocument;
        Take(module, record);
        module.records.push_back(std::move(record));
    }
    if (!stream || !offset || !type) {
        RaiseBadFormat(kDir, start, "module without its stream name, text offset or type");
    }
    constexpr std::array<Kind, 1> terminator{{{kModuleTerminator, 0}}};
    module.records.push_back(reader.Next(terminator, "a module"));
    return module;
}

}  // namespace

VbaDir ReadVbaDir(std::string_view stream) {
    RecordReader reader(stream);
    VbaDir dir;
    ReadProject(reader, dir);
    std::uint16_t count = le::U16(dir.records[dir.records.size() - 2].bytes, 6);
    for (std::uint16_t i = 0; i < count; ++i) {
        dir.modules.push_back(ReadModule(reader));
    }
    constexpr std::array<Kind, 1> terminator{{{kDirTerminator, 0}}};
    dir.terminator = reader.Next(terminator, "the end of the modules");
    if (!reader.AtEnd()) {
        RaiseBadFormat(kDir, reader.Offset(), "bytes after the last record");
    }
    return dir;
}

std::string WriteVbaDir(const VbaDir& dir) {
    std::string out;
    for (const auto& record : dir.records) {
        out += record.bytes;
    }
    for (const auto& module : dir.modules) {
        for (const auto& record : module.records) {
            out += record.bytes;
        }
    }
    return out + dir.terminator.bytes;
}

std::string ModuleSource(std::string_view moduleStream, std::uint32_t textOffset,
                         std::string_view streamName) {
    if (textOffset > moduleStream.size()) {
        RaiseBadFormat(streamName, textOffset,
                       "the source's offset lies past the stream's " +
                           std::to_string(moduleStream.size()) + " bytes");
    }
    try {
        return Decompress(moduleStream.substr(textOffset), streamName);
    } catch (const OfficeFileError& e) {
        throw OfficeFileError(e.Where(), e.Offset() + textOffset, e.Detail());
    }
}

}  // namespace brindle::host
