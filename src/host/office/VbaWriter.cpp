#include "host/office/VbaWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "host/office/Compression.h"
#include "host/office/LittleEndian.h"
#include "host/office/OfficeError.h"
#include "host/office/VbaDir.h"
#include "util/Unicode.h"

namespace brindle::host {
namespace {

constexpr std::uint16_t kModuleOffset = 0x0031;

// [MS-OVBA] 2.3.4.1: Reserved1 (0x61CC), the version, Reserved2 (0) and Reserved3, and no
// performance cache after them. A version of 0xFFFF, which no version of the application has,
// makes it ignore every cached compiled form and compile from the source (1.6). Reserved3
// means nothing to readers: the document's own is kept, 1 (the documentation's example) where
// the stream is too short to hold one.
std::string VbaProjectForWriting(std::string_view old) {
    std::string out;
    le::PutU16(out, 0x61CC);
    le::PutU16(out, 0xFFFF);
    out += '\0';
    le::PutU16(out, old.size() >= 7 ? le::U16(old, 5) : std::uint16_t{1});
    return out;
}

CompoundEntry& Child(CompoundEntry& storage, std::u16string_view name, bool isStorage,
                     std::string_view label) {
    CompoundEntry* child = FindChild(storage, name);
    if (child == nullptr || child->isStorage != isStorage) {
        RaiseBadFormat(label, 0,
                       isStorage ? "the project has no VBA storage" : "no such stream in VBA");
    }
    return *child;
}

using Flat = std::map<std::u16string, const CompoundEntry*>;

void Flatten(const CompoundEntry& storage, const std::u16string& path, Flat& out) {
    for (const auto& child : storage.children) {
        const std::u16string at = path + u"/" + child.name;
        out.emplace(at, &child);
        Flatten(child, at, out);
    }
}

// The entries themselves, their children aside.
bool SameEntry(const CompoundEntry& a, const CompoundEntry& b) {
    return a.name == b.name && a.isStorage == b.isStorage && a.clsid == b.clsid &&
           a.stateBits == b.stateBits && a.created == b.created && a.modified == b.modified &&
           a.bytes == b.bytes;
}

// Whether `name` is that of one of the VBA storage's caches of compiled code: [MS-OVBA] 2.2.6
// names them "__SRP_" and up to 25 digits, and Office numbers them in hexadecimal.
bool IsSrpStream(std::u16string_view name) {
    constexpr std::u16string_view prefix = u"__SRP_";
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 25 ||
        !SameName(name.substr(0, prefix.size()), prefix)) {
        return false;
    }
    return std::all_of(name.begin() + prefix.size(), name.end(), [](char16_t c) {
        return c < 0x80 && std::isxdigit(static_cast<unsigned char>(c));
    });
}

}  // namespace

RewrittenStreams ReplaceSources(CompoundEntry& project,
                                const std::map<std::size_t, std::string>& sources) {
    CompoundEntry& vba = Child(project, u"VBA", true, "VBA");
    CompoundEntry& dirStream = Child(vba, u"dir", false, "dir");
    VbaDir dir = ReadVbaDir(Decompress(dirStream.bytes, "dir"));
    RewrittenStreams streams;
    for (const auto& [index, source] : sources) {
        if (index >= dir.modules.size()) {
            RaiseBadFormat("dir", 0,
                           "no module " + std::to_string(index) + " among its " +
                               std::to_string(dir.modules.size()));
        }
        VbaModule& module = dir.modules[index];
        CompoundEntry& stream = Child(vba, module.unicodeStreamName, false, module.streamName);
        // A module stream is its compiled form, which writers may leave out, and its compressed
        // source from MODULEOFFSET's TextOffset (2.3.4.3, 2.3.4.2.3.2.5): the source alone, at 0.
        stream.bytes = Compress(source);
        for (DirRecord& record : module.records) {
            if (record.id == kModuleOffset) {
                le::PatchU32(record.bytes, 6, 0);
            }
        }
        streams.rewritten.push_back(stream.name);
    }
    dirStream.bytes = Compress(WriteVbaDir(dir));
    streams.rewritten.push_back(dirStream.name);
    CompoundEntry& vbaProject = Child(vba, u"_VBA_PROJECT", false, "_VBA_PROJECT");
    vbaProject.bytes = VbaProjectForWriting(vbaProject.bytes);
    streams.rewritten.push_back(vbaProject.name);
    // The SRP streams are caches that writers must not write (2.2.6).
    std::erase_if(vba.children, [&](const CompoundEntry& child) {
        const bool cache = !child.isStorage && IsSrpStream(child.name);
        if (cache) {
            streams.removed.push_back(child.name);
        }
        return cache;
    });
    return streams;
}

void CheckOnlyRewrittenChanged(const CompoundEntry& before, const CompoundEntry& after,
                               std::u16string_view project, const RewrittenStreams& changes,
                               const std::string& file) {
    const auto fail = [&](const std::u16string& path, std::string_view what) {
        RaiseBadFormat(file, 0, Utf8FromUtf16(path) + " " + std::string(what));
    };
    const std::u16string vba = (project.empty() ? u"" : u"/" + std::u16string(project)) + u"/VBA/";
    const auto among = [&](const std::vector<std::u16string>& names, const std::u16string& path) {
        return std::any_of(names.begin(), names.end(),
                           [&](const std::u16string& name) { return path == vba + name; });
    };
    if (!SameEntry(before, after)) {
        fail(u"the root storage", "changed");
    }
    Flat was, is;
    Flatten(before, u"", was);
    Flatten(after, u"", is);
    for (const auto& [path, entry] : was) {
        const auto now = is.find(path);
        if (among(changes.removed, path)) {
            if (now != is.end()) {
                fail(path, "is still there");
            }
        } else if (now == is.end()) {
            fail(path, "is missing");
        } else if (!among(changes.rewritten, path) && !SameEntry(*entry, *now->second)) {
            fail(path, "changed");
        }
    }
    for (const auto& [path, entry] : is) {
        if (!was.contains(path)) {
            fail(path, "was added");
        }
    }
}

}  // namespace brindle::host
