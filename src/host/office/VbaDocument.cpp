#include "host/office/VbaDocument.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

#include "host/office/CompoundFile.h"
#include "host/office/Compression.h"
#include "host/office/LittleEndian.h"
#include "host/office/OfficeError.h"
#include "host/office/VbaDir.h"
#include "host/office/VbaWriter.h"
#include "host/office/ZipPackage.h"
#include "util/Text.h"

namespace brindle::host {
namespace {

constexpr std::array<std::string_view, 3> kSignatureParts = {
    "vbaProjectSignature.bin", "vbaProjectSignatureAgile.bin", "vbaProjectSignatureV3.bin"};
constexpr std::array<std::u16string_view, 3> kSignatureStreams = {
    u"\x05"
    u"DigitalSignature",
    u"\x05"
    u"DigitalSignatureEx",
    u"\x05"
    u"DigitalSignatureExt"};

// Where Excel's and Word's 97-2003 files keep the project.
constexpr std::array<std::u16string_view, 2> kProjectStorages = {u"_VBA_PROJECT_CUR", u"Macros"};

constexpr std::string_view kNotAsWritten = "not written, as it does not read back as intended: ";

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && EqualsNoCase(text.substr(text.size() - end.size()), end);
}

bool HoldsSignature(const CompoundEntry& storage) {
    return std::any_of(kSignatureStreams.begin(), kSignatureStreams.end(),
                       [&](std::u16string_view name) { return FindChild(storage, name); });
}

// An Excel 97-2003 workbook whose records are encrypted: a FILEPASS record among the first
// records of its Workbook stream, after its BOF.
bool WorkbookEncrypted(const CompoundEntry& root) {
    const CompoundEntry* book = FindChild(root, u"Workbook");
    book = book != nullptr ? book : FindChild(root, u"Book");
    if (book == nullptr) {
        return false;
    }
    const std::string_view bytes = book->bytes;
    std::size_t at = 0;
    for (int record = 0; record < 16 && at + 4 <= bytes.size(); ++record) {
        if (le::U16(bytes, at) == 0x002F) {
            return true;
        }
        at += std::size_t{4} + le::U16(bytes, at + 2);
    }
    return false;
}

// A Word 97-2003 document whose text is encrypted or obfuscated: fEncrypted in its FIB.
bool WordDocumentEncrypted(const CompoundEntry& root) {
    const CompoundEntry* word = FindChild(root, u"WordDocument");
    return word != nullptr && word->bytes.size() >= 12 && (le::U16(word->bytes, 10) & 0x0100);
}

struct Located {
    std::optional<ZipPackage> package;  // an Open XML document's
    std::size_t part = 0;               // the package's entry of the project
    CompoundEntry root;
    std::u16string project;  // the storage that holds "VBA" and "PROJECT"; empty for the root
    bool isSigned = false;

    const CompoundEntry& Project() const {
        return project.empty() ? root : *FindChild(root, project);
    }
    CompoundEntry& Project() { return project.empty() ? root : *FindChild(root, project); }
};

Located FromPackage(std::string bytes, const std::string& file) {
    Located located;
    const ZipPackage& package = located.package.emplace(std::move(bytes), file);
    const auto& entries = package.Entries();
    std::optional<std::size_t> part;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        part = EndsWithNoCase(entries[i].name, "/vbaProject.bin") ? i : part;
        located.isSigned =
            located.isSigned ||
            std::any_of(kSignatureParts.begin(), kSignatureParts.end(), [&](std::string_view name) {
                return EndsWithNoCase(entries[i].name, "/" + std::string(name));
            });
    }
    if (!part) {
        RaiseBadFormat(file, 0, "the document holds no VBA project");
    }
    located.part = *part;
    located.root = ReadCompoundFile(package.Contents(entries[*part]));
    located.isSigned = located.isSigned || HoldsSignature(located.root);
    return located;
}

Located FromCompoundFile(std::string_view bytes, const std::string& file) {
    Located located;
    located.root = ReadCompoundFile(bytes);
    if (FindChild(located.root, u"EncryptedPackage") != nullptr ||
        WorkbookEncrypted(located.root) || WordDocumentEncrypted(located.root)) {
        RaiseBadFormat(file, 0, "the document is encrypted");
    }
    for (const std::u16string_view name : kProjectStorages) {
        const CompoundEntry* storage = FindChild(located.root, name);
        if (storage != nullptr && storage->isStorage) {
            located.project = storage->name;
        }
    }
    if (located.project.empty()) {
        RaiseBadFormat(file, 0, "the document holds no VBA project Brindle can read");
    }
    located.isSigned = HoldsSignature(located.root) || HoldsSignature(located.Project());
    return located;
}

constexpr std::string_view kCompoundSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

bool HoldsProjectStorage(const CompoundEntry& root) {
    return std::any_of(kProjectStorages.begin(), kProjectStorages.end(), [&](auto name) {
        const CompoundEntry* storage = FindChild(root, name);
        return storage != nullptr && storage->isStorage;
    });
}

Located Locate(std::string bytes, const std::string& file) {
    return std::string_view(bytes).starts_with("PK") ? FromPackage(std::move(bytes), file)
                                                     : FromCompoundFile(bytes, file);
}

std::vector<std::string_view> LinesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = std::min(text.find_first_of("\r\n"), text.size());
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end);
        text.remove_prefix(text.starts_with("\r\n") ? 2 : std::min<std::size_t>(1, text.size()));
    }
    return lines;
}

// What the PROJECT stream tells: each module's kind, and whether the project may be viewed.
struct ProjectText {
    std::vector<std::pair<std::string, VbaModuleKind>> kinds;
    bool lockedForViewing = false;
};

ProjectText ReadProjectText(std::string_view text) {
    ProjectText project;
    for (std::string_view line : LinesOf(text)) {
        if (line.starts_with("[")) {
            break;  // the host's own sections follow the project's
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = line.substr(0, equals);
        std::string_view value = line.substr(equals + 1);
        const std::pair<std::string_view, VbaModuleKind> kinds[] = {
            {"Module", VbaModuleKind::Standard},
            {"Class", VbaModuleKind::Class},
            {"Document", VbaModuleKind::Document},
            {"BaseClass", VbaModuleKind::Form}};
        for (const auto& [name, kind] : kinds) {
            if (EqualsNoCase(key, name)) {
                project.kinds.emplace_back(value.substr(0, value.find('/')), kind);
            }
        }
        if (EqualsNoCase(key, "GC") && value.size() >= 2 && value.front() == '"' &&
            value.back() == '"') {
            const auto visibility = RevealProjectValue(value.substr(1, value.size() - 2));
            project.lockedForViewing = visibility && *visibility == std::string(1, '\0');
        }
    }
    return project;
}

VbaModuleKind KindOf(const ProjectText& project, const VbaModule& module) {
    for (const auto& [name, kind] : project.kinds) {
        if (EqualsNoCase(name, module.name)) {
            return kind;
        }
    }
    return module.type == VbaModuleType::Procedural ? VbaModuleKind::Standard
                                                    : VbaModuleKind::Class;
}

std::optional<std::string> HexBytes(std::string_view hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]);
        const int low = digit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

}  // namespace

bool MayHoldVbaProject(std::string bytes) {
    try {
        if (std::string_view(bytes).starts_with("PK")) {
            const ZipPackage package(std::move(bytes), "");
            return std::any_of(package.Entries().begin(), package.Entries().end(),
                               [](const ZipEntry& entry) {
                                   return EndsWithNoCase(entry.name, "/vbaProject.bin");
                               });
        }
        if (!std::string_view(bytes).starts_with(kCompoundSignature)) {
            return false;
        }
        const CompoundEntry root = ReadCompoundFile(bytes);
        return FindChild(root, u"EncryptedPackage") != nullptr || HoldsProjectStorage(root);
    } catch (const OfficeFileError&) {
        return true;
    }
}

std::optional<std::string> RevealProjectValue(std::string_view hex) {
    const auto bytes = HexBytes(hex);
    if (!bytes || bytes->size() < 3) {
        return std::nullopt;
    }
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>((*bytes)[i]); };
    const std::uint8_t seed = byte(0);
    if ((seed ^ byte(1)) != 2) {
        return std::nullopt;  // the only version there is
    }
    std::uint8_t plain = seed ^ byte(2);
    std::uint8_t last = byte(2);
    std::uint8_t beforeLast = byte(1);
    std::size_t at = 3;
    std::string out;
    // Each byte is hidden by the two bytes before it as stored and the one before it as it was.
    const auto reveal = [&](std::size_t count) {
        out.clear();
        for (std::size_t i = 0; i < count; ++i, ++at) {
            if (at >= bytes->size()) {
                return false;
            }
            const std::uint8_t hidden = byte(at);
            plain =
                static_cast<std::uint8_t>(hidden ^ static_cast<std::uint8_t>(beforeLast + plain));
            out += static_cast<char>(plain);
            beforeLast = last;
            last = hidden;
        }
        return true;
    };
    if (!reveal(static_cast<std::size_t>((seed & 6) / 2)) || !reveal(4)) {
        return std::nullopt;
    }
    const std::uint32_t length = le::U32(out, 0);
    if (length > bytes->size() || !reveal(length) || at != bytes->size()) {
        return std::nullopt;
    }
    return out;
}

namespace {

DocumentProject ProjectOf(const Located& located, const std::string& file) {
    const CompoundEntry& storage = located.Project();
    const CompoundEntry* vba = FindChild(storage, u"VBA");
    const CompoundEntry* dirStream = vba != nullptr ? FindChild(*vba, u"dir") : nullptr;
    if (dirStream == nullptr) {
        RaiseBadFormat(file, 0, "the VBA project has no dir stream");
    }
    const VbaDir dir = ReadVbaDir(Decompress(dirStream->bytes, "dir"));
    const CompoundEntry* projectStream = FindChild(storage, u"PROJECT");
    const ProjectText text = ReadProjectText(projectStream != nullptr ? projectStream->bytes : "");
    DocumentProject project;
    project.codePage = dir.codePage;
    project.name = dir.projectName;
    project.isSigned = located.isSigned;
    project.lockedForViewing = text.lockedForViewing;
    for (const VbaModule& module : dir.modules) {
        const CompoundEntry* stream = FindChild(*vba, module.unicodeStreamName);
        if (stream == nullptr || stream->isStorage) {
            RaiseBadFormat("dir", 0,
                           "the module " + module.name + " has no stream " + module.streamName);
        }
        project.modules.push_back(
            {module.name, module.streamName, KindOf(text, module),
             ModuleSource(stream->bytes, module.textOffset, module.streamName)});
    }
    return project;
}

// The new source of each module that changes, by its index.
std::map<std::size_t, std::string> ChangedSources(const std::vector<ModuleChange>& changes,
                                                  const DocumentProject& project,
                                                  const std::string& file) {
    std::map<std::size_t, std::string> sources;
    for (const ModuleChange& change : changes) {
        if (change.module >= project.modules.size()) {
            RaiseBadFormat(file, 0,
                           "no module " + std::to_string(change.module) + " among the " +
                               std::to_string(project.modules.size()) + " of its VBA project");
        }
        sources[change.module] = change.source;
    }
    std::erase_if(sources, [&](const auto& change) {
        return change.second == project.modules[change.first].source;
    });
    return sources;
}

void CheckSources(const DocumentProject& written, const DocumentProject& before,
                  const std::map<std::size_t, std::string>& sources, const std::string& file) {
    if (written.modules.size() != before.modules.size() || written.codePage != before.codePage) {
        RaiseBadFormat(file, 0, "the VBA project is another");
    }
    for (std::size_t i = 0; i < written.modules.size(); ++i) {
        const auto change = sources.find(i);
        const std::string& intended =
            change != sources.end() ? change->second : before.modules[i].source;
        if (written.modules[i].name != before.modules[i].name ||
            written.modules[i].source != intended) {
            RaiseBadFormat(file, 0, "the module " + before.modules[i].name + " is not as intended");
        }
    }
}

// Every entry of the package but the project's part has its record as it was.
void CheckEntriesKept(const ZipPackage& was, std::string_view before, const ZipPackage& is,
                      std::string_view after, std::size_t part, const std::string& file) {
    const auto record = [](std::string_view bytes, const ZipEntry& entry) {
        return bytes.substr(entry.recordBegin, entry.recordEnd - entry.recordBegin);
    };
    bool kept = was.Entries().size() == is.Entries().size();
    for (std::size_t i = 0; kept && i < was.Entries().size(); ++i) {
        const ZipEntry& entry = was.Entries()[i];
        kept = entry.name == is.Entries()[i].name &&
               (i == part || record(before, entry) == record(after, is.Entries()[i]));
    }
    if (!kept) {
        RaiseBadFormat(file, 0, "the package's other parts changed");
    }
}

// Raises unless `written` reads as `located` now holds it, with only the streams of `streams`
// changed from `before` and each module's source the intended one.
void CheckWritten(std::string_view bytes, const std::string& written, const std::string& file,
                  const Located& located, const CompoundEntry& before,
                  const RewrittenStreams& streams, const DocumentProject& project,
                  const std::map<std::size_t, std::string>& sources) {
    try {
        const Located again = Locate(written, file);
        if (again.root != located.root) {
            RaiseBadFormat(file, 0, "the compound file is another");
        }
        CheckOnlyRewrittenChanged(before, again.root, located.project, streams, file);
        CheckSources(ProjectOf(again, file), project, sources, file);
        if (located.package) {
            CheckEntriesKept(*located.package, bytes, *again.package, written, located.part, file);
        }
    } catch (const OfficeFileError& e) {
        RaiseBadFormat(file, 0, std::string(kNotAsWritten) + e.MessageIn(file));
    }
}

}  // namespace

std::optional<std::string> WriteRefusal(const DocumentProject& project) {
    if (project.isSigned) {
        return "its VBA project is signed, and writing it would break the signature";
    }
    if (project.lockedForViewing) {
        return "its VBA project is locked for viewing";
    }
    return std::nullopt;
}

DocumentProject ReadDocumentProject(std::string bytes, const std::string& file) {
    return ProjectOf(Locate(std::move(bytes), file), file);
}

std::string WriteDocumentProject(std::string bytes, const std::string& file,
                                 const std::vector<ModuleChange>& changes) {
    Located located = Locate(bytes, file);
    const DocumentProject project = ProjectOf(located, file);
    const auto sources = ChangedSources(changes, project, file);
    if (sources.empty()) {
        return bytes;
    }
    if (const auto refusal = WriteRefusal(project)) {
        RaiseBadFormat(file, 0, *refusal);
    }
    const CompoundEntry before = located.root;
    const RewrittenStreams streams = ReplaceSources(located.Project(), sources);
    std::string compound = WriteCompoundFile(located.root);
    std::string written =
        located.package ? located.package->With(located.package->Entries()[located.part], compound)
                        : std::move(compound);
    CheckWritten(bytes, written, file, located, before, streams, project, sources);
    return written;
}

}  // namespace brindle::host
