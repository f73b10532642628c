#include "host/office/CompoundFile.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "host/office/LittleEndian.h"
#include "host/office/OfficeError.h"

namespace brindle::host {

namespace {

constexpr std::string_view kSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::string_view kWhere = "compound file";
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kEntrySize = 128;
constexpr std::size_t kMiniSector = 64;
constexpr std::size_t kMiniCutoff = 4096;
constexpr std::size_t kHeaderFatSlots = 109;
constexpr std::size_t kLongestName = 31;
constexpr std::size_t kDeepestNesting = 256;

constexpr std::uint32_t kLastRegular = 0xFFFFFFFA;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

constexpr std::uint8_t kStorage = 1;
constexpr std::uint8_t kStream = 2;
constexpr std::uint8_t kRoot = 5;

// The upper case of one character of a name: the letters of Latin, Greek and Cyrillic that
// have one, enough for the names documents use.
char16_t Upper(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c >= 0x450 && c <= 0x45F) {
        return static_cast<char16_t>(c - 0x50);
    }
    bool pairs = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    if (pairs && c % 2 == 1) {
        return static_cast<char16_t>(c - 1);
    }
    bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddPairs && c % 2 == 0) {
        return static_cast<char16_t>(c - 1);
    }
    return c;
}

}  // namespace

bool NameBefore(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = Upper(a[i]);
        char16_t y = Upper(b[i]);
        if (x != y) {
            return x < y;
        }
    }
    return false;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    return !NameBefore(a, b) && !NameBefore(b, a);
}

const CompoundEntry* FindChild(const CompoundEntry& storage, std::u16string_view name) {
    for (const auto& child : storage.children) {
        if (SameName(child.name, name)) {
            return &child;
        }
    }
    return nullptr;
}

CompoundEntry* FindChild(CompoundEntry& storage, std::u16string_view name) {
    return const_cast<CompoundEntry*>(FindChild(std::as_const(storage), name));
}

namespace {

// ---- Reading

struct RawEntry {
    CompoundEntry entry;
    std::uint8_t type = 0;
    std::uint32_t left = kNoEntry;
    std::uint32_t right = kNoEntry;
    std::uint32_t child = kNoEntry;
    std::uint32_t start = 0;
    std::uint64_t size = 0;
    std::size_t offset = 0;  // in the file
};

class Reader {
public:
    explicit Reader(std::string_view file) : file_(file) { ReadHeader(); }

    CompoundEntry Root() {
        ReadFat();
        ReadDirectory();
        ReadMiniStream();
        RawEntry& root = entries_[0];
        Children(root, 0);
        return std::move(root.entry);
    }

private:
    void ReadHeader() {
        if (file_.size() < kHeaderSize || file_.substr(0, 8) != kSignature) {
            RaiseBadFormat(kWhere, 0, "no signature of a compound file");
        }
        if (le::U16(file_, 28) != 0xFFFE) {
            RaiseBadFormat(kWhere, 28, "byte order mark is not 0xFFFE");
        }
        std::uint16_t major = le::U16(file_, 26);
        std::uint16_t shift = le::U16(file_, 30);
        if (!(major == 3 && shift == 9) && !(major == 4 && shift == 12)) {
            RaiseBadFormat(kWhere, 26,
                           "version " + std::to_string(major) + " with sectors of 2^" +
                               std::to_string(shift) + " bytes");
        }
        if (le::U16(file_, 32) != 6) {
            RaiseBadFormat(kWhere, 32, "mini sectors are not 64 bytes");
        }
        if (le::U32(file_, 56) != kMiniCutoff) {
            RaiseBadFormat(kWhere, 56, "small streams are not those under 4096 bytes");
        }
        major_ = major;
        sectorSize_ = std::size_t{1} << shift;
        if (file_.size() < sectorSize_) {
            RaiseBadFormat(kWhere, file_.size(), "file ends inside its header");
        }
        // The sectors after the header's, the last one perhaps cut short.
        sectorCount_ = (file_.size() - 1) / sectorSize_;
    }

    // The bytes of sector `n`, those the file lacks at its end as zeros.
    std::string Sector(std::uint32_t n, std::size_t referredAt) const {
        if (n > kLastRegular || n >= sectorCount_) {
            RaiseBadFormat(kWhere, referredAt, "sector " + std::to_string(n) + " past the end");
        }
        std::string bytes(file_.substr(Offset(n), sectorSize_));
        bytes.resize(sectorSize_, '\0');
        return bytes;
    }

    std::size_t Offset(std::uint32_t n) const { return (std::size_t{n} + 1) * sectorSize_; }

    // The FAT's sectors, listed in the header and then in sectors of their own, chained.
    void ReadFat() {
        std::uint32_t fatCount = le::U32(file_, 44);
        std::vector<std::pair<std::uint32_t, std::size_t>> listed;  // a sector, where it is named
        for (std::size_t i = 0; i < kHeaderFatSlots && listed.size() < fatCount; ++i) {
            listed.emplace_back(le::U32(file_, 76 + 4 * i), 76 + 4 * i);
        }
        std::uint32_t next = le::U32(file_, 68);
        std::size_t referredAt = 68;
        std::vector<bool> seen(sectorCount_, false);
        while (listed.size() < fatCount) {
            if (next < sectorCount_ && seen[next]) {
                RaiseBadFormat(kWhere, referredAt, "the sectors that list the FAT's loop");
            }
            std::string list = Sector(next, referredAt);
            seen[next] = true;
            std::size_t slots = sectorSize_ / 4 - 1;
            for (std::size_t i = 0; i < slots && listed.size() < fatCount; ++i) {
                listed.emplace_back(le::U32(list, 4 * i), Offset(next) + 4 * i);
            }
            referredAt = Offset(next) + 4 * slots;
            next = le::U32(list, 4 * slots);
        }
        for (auto [sector, listedAt] : listed) {
            std::string bytes = Sector(sector, listedAt);
            for (std::size_t at = 0; at < sectorSize_; at += 4) {
                fat_.push_back(le::U32(bytes, at));
            }
        }
    }

    // The sectors of a chain from `start`, in order, in `table` (the FAT or the MiniFAT) of
    // `count` sectors.
    static std::vector<std::uint32_t> Chain(std::uint32_t start,
                                            const std::vector<std::uint32_t>& table,
                                            std::size_t count, std::size_t referredAt,
                                            std::string_view what) {
        std::vector<std::uint32_t> chain;
        std::vector<bool> seen(count, false);
        for (std::uint32_t n = start; n != kEndOfChain; n = table[n]) {
            if (n >= count || n >= table.size()) {
                RaiseBadFormat(
                    kWhere, referredAt,
                    std::string(what) + ": sector " + std::to_string(n) + " past the end");
            }
            if (seen[n]) {
                RaiseBadFormat(kWhere, referredAt, std::string(what) + ": its sectors loop");
            }
            seen[n] = true;
            chain.push_back(n);
        }
        return chain;
    }

    // The bytes of a chain of regular sectors, `size` of them when given.
    std::string ChainBytes(std::uint32_t start, std::size_t referredAt, std::string_view what,
                           std::uint64_t size = UINT64_MAX) const {
        std::string bytes;
        for (std::uint32_t n : Chain(start, fat_, sectorCount_, referredAt, what)) {
            if (bytes.size() >= size) {
                break;
            }
            bytes += Sector(n, referredAt);
        }
        return Trim(std::move(bytes), size, referredAt, what);
    }

    static std::string Trim(std::string bytes, std::uint64_t size, std::size_t referredAt,
                            std::string_view what) {
        if (size == UINT64_MAX) {
            return bytes;
        }
        if (bytes.size() < size) {
            RaiseBadFormat(kWhere, referredAt,
                           std::string(what) + ": its chain ends before its " +
                               std::to_string(size) + " bytes");
        }
        bytes.resize(static_cast<std::size_t>(size));
        return bytes;
    }

    void ReadDirectory() {
        directory_ = ChainBytes(le::U32(file_, 48), 48, "directory");
        std::size_t count = directory_.size() / kEntrySize;
        std::size_t offset = 0;
        auto chain = Chain(le::U32(file_, 48), fat_, sectorCount_, 48, "directory");
        for (std::size_t i = 0; i < count; ++i) {
            std::size_t sector = chain[i * kEntrySize / sectorSize_];
            offset = Offset(static_cast<std::uint32_t>(sector)) + i * kEntrySize % sectorSize_;
            entries_.push_back(
                Entry(std::string_view(directory_).substr(i * kEntrySize, kEntrySize), offset));
        }
        if (entries_.empty() || entries_[0].type != kRoot) {
            RaiseBadFormat(kWhere, offset, "the directory's first entry is no root");
        }
    }

    RawEntry Entry(std::string_view bytes, std::size_t offset) const {
        RawEntry raw;
        raw.offset = offset;
        std::uint16_t nameBytes = le::U16(bytes, 64);
        raw.type = le::Byte(bytes, 66);
        if (raw.type == 0) {
            return raw;
        }
        if (nameBytes > 64 || nameBytes % 2 != 0) {
            RaiseBadFormat(kWhere, offset + 64, "name length " + std::to_string(nameBytes));
        }
        for (std::size_t i = 0; i + 2 < nameBytes; i += 2) {
            raw.entry.name += static_cast<char16_t>(le::U16(bytes, i));
        }
        raw.entry.isStorage = raw.type != kStream;
        raw.left = le::U32(bytes, 68);
        raw.right = le::U32(bytes, 72);
        raw.child = le::U32(bytes, 76);
        for (std::size_t i = 0; i < 16; ++i) {
            raw.entry.clsid[i] = le::Byte(bytes, 80 + i);
        }
        raw.entry.stateBits = le::U32(bytes, 96);
        raw.entry.created = le::U64(bytes, 100);
        raw.entry.modified = le::U64(bytes, 108);
        raw.start = le::U32(bytes, 116);
        // Version 3 files may hold anything in the size's upper half.
        raw.size = major_ == 3 ? le::U32(bytes, 120) : le::U64(bytes, 120);
        return raw;
    }

    void ReadMiniStream() {
        const RawEntry& root = entries_[0];
        miniStream_ = root.size == 0
                          ? std::string()
                          : ChainBytes(root.start, root.offset + 116, "mini stream", root.size);
        std::string miniFat = ChainBytes(le::U32(file_, 60), 60, "MiniFAT");
        for (std::size_t at = 0; at + 4 <= miniFat.size(); at += 4) {
            miniFat_.push_back(le::U32(miniFat, at));
        }
    }

    std::string StreamBytes(const RawEntry& raw) const {
        if (raw.size == 0) {
            return {};
        }
        std::string what = "stream at entry byte " + std::to_string(raw.offset);
        if (raw.size >= kMiniCutoff) {
            return ChainBytes(raw.start, raw.offset + 116, what, raw.size);
        }
        std::string bytes;
        std::size_t count = miniStream_.size() / kMiniSector;
        for (std::uint32_t n : Chain(raw.start, miniFat_, count, raw.offset + 116, what)) {
            if (bytes.size() >= raw.size) {
                break;
            }
            bytes.append(miniStream_, std::size_t{n} * kMiniSector, kMiniSector);
        }
        return Trim(std::move(bytes), raw.size, raw.offset + 116, what);
    }

    // The children of the storage entry `raw`, read from its tree in order, and their own.
    void Children(RawEntry& raw, std::size_t depth) {
        if (depth > kDeepestNesting) {
            RaiseBadFormat(kWhere, raw.offset, "storages nested too deep");
        }
        std::vector<std::uint32_t> pending;
        std::uint32_t n = raw.child;
        std::size_t referredAt = raw.offset + 76;
        while (n != kNoEntry || !pending.empty()) {
            for (; n != kNoEntry; n = entries_[n].left) {
                Visit(n, referredAt);
                pending.push_back(n);
                referredAt = entries_[n].offset + 68;
            }
            std::uint32_t at = pending.back();
            pending.pop_back();
            raw.entry.children.push_back(Read(entries_[at], depth));
            n = entries_[at].right;
            referredAt = entries_[at].offset + 72;
        }
        // A tree read in order is sorted when it was written as the format says; one that was
        // not still gives its children in the order of their names.
        std::stable_sort(raw.entry.children.begin(), raw.entry.children.end(),
                         [](const CompoundEntry& a, const CompoundEntry& b) {
                             return NameBefore(a.name, b.name);
                         });
    }

    void Visit(std::uint32_t n, std::size_t referredAt) {
        if (n >= entries_.size()) {
            RaiseBadFormat(kWhere, referredAt,
                           "entry " + std::to_string(n) + " past the directory");
        }
        RawEntry& raw = entries_[n];
        if (raw.type != kStorage && raw.type != kStream) {
            RaiseBadFormat(kWhere, referredAt,
                           "entry " + std::to_string(n) + " is no storage or stream");
        }
        if (visited_.size() < entries_.size()) {
            visited_.resize(entries_.size(), false);
        }
        if (visited_[n]) {
            RaiseBadFormat(kWhere, referredAt,
                           "the directory tree reaches entry " + std::to_string(n) + " twice");
        }
        visited_[n] = true;
    }

    CompoundEntry Read(RawEntry& raw, std::size_t depth) {
        if (raw.type == kStream) {
            raw.entry.bytes = StreamBytes(raw);
        } else {
            Children(raw, depth + 1);
        }
        return std::move(raw.entry);
    }

    std::string_view file_;
    std::uint16_t major_ = 3;
    std::size_t sectorSize_ = 512;
    std::size_t sectorCount_ = 0;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::string directory_;
    std::string miniStream_;
    std::vector<RawEntry> entries_;
    std::vector<bool> visited_;
};

// ---- Writing

struct Placed {
    const CompoundEntry* entry;
    std::uint32_t left = kNoEntry;
    std::uint32_t right = kNoEntry;
    std::uint32_t child = kNoEntry;
    bool red = false;
    std::uint32_t start = kEndOfChain;
    std::uint64_t size = 0;
};

class Writer {
public:
    explicit Writer(const CompoundEntry& root) {
        entries_.push_back({&root});
        Place(0, 0);
        LayOutStreams();
    }

    std::string Bytes() {
        std::size_t others =
            DirectorySectors() + MiniFatSectors() + Sectors(miniStream_.size()) + regularSectors_;
        std::size_t fatCount = 1;
        while (fatCount * kPerSector < others + fatCount + DifatSectors(fatCount)) {
            ++fatCount;
        }
        std::size_t difatCount = DifatSectors(fatCount);
        std::uint32_t first = static_cast<std::uint32_t>(fatCount + difatCount);
        std::string body = Directory(first) + MiniFat() + Padded(miniStream_) + regular_;
        std::string out = Header(fatCount, difatCount, first);
        out += Fat(fatCount, difatCount);
        out += Difat(fatCount, difatCount);
        return out + body;
    }

private:
    static constexpr std::size_t kSector = 512;
    static constexpr std::size_t kPerSector = kSector / 4;

    static std::size_t Sectors(std::size_t bytes) { return (bytes + kSector - 1) / kSector; }

    static std::size_t DifatSectors(std::size_t fatCount) {
        return fatCount <= kHeaderFatSlots
                   ? 0
                   : (fatCount - kHeaderFatSlots + kPerSector - 2) / (kPerSector - 1);
    }

    static std::string Padded(std::string bytes) {
        bytes.resize(Sectors(bytes.size()) * kSector, '\0');
        return bytes;
    }

    // Gives the entry at `index` its children, as a balanced tree of its sorted children.
    void Place(std::uint32_t index, std::size_t depth) {
        const CompoundEntry& entry = *entries_[index].entry;
        if (!entry.isStorage) {
            return;
        }
        if (depth > kDeepestNesting) {
            RaiseBadFormat(kWhere, 0, "storages nested too deep");
        }
        std::vector<const CompoundEntry*> sorted;
        for (const auto& child : entry.children) {
            CheckName(child.name);
            sorted.push_back(&child);
        }
        std::sort(sorted.begin(), sorted.end(),
                  [](const auto* a, const auto* b) { return NameBefore(a->name, b->name); });
        for (std::size_t i = 1; i < sorted.size(); ++i) {
            if (SameName(sorted[i - 1]->name, sorted[i]->name)) {
                RaiseBadFormat(kWhere, 0, "two children of one storage share a name");
            }
        }
        std::vector<std::uint32_t> ids;
        for (const auto* child : sorted) {
            ids.push_back(static_cast<std::uint32_t>(entries_.size()));
            entries_.push_back({child});
        }
        entries_[index].child = Tree(ids, 0, ids.size(), 0, TreeHeight(ids.size()));
        for (std::uint32_t id : ids) {
            Place(id, depth + 1);
        }
    }

    static void CheckName(std::u16string_view name) {
        if (name.empty() || name.size() > kLongestName) {
            RaiseBadFormat(
                kWhere, 0,
                "a name of " + std::to_string(name.size()) + " characters (1 to 31 can be stored)");
        }
    }

    static std::size_t TreeHeight(std::size_t count) {
        std::size_t height = 0;
        while ((std::size_t{1} << height) <= count) {
            ++height;
        }
        return height;
    }

    // The root of a tree of ids[begin, end), split at the middle: its levels are full but the
    // deepest, whose nodes are red, so that every path has as many black nodes.
    std::uint32_t Tree(const std::vector<std::uint32_t>& ids, std::size_t begin, std::size_t end,
                       std::size_t depth, std::size_t height) {
        if (begin == end) {
            return kNoEntry;
        }
        std::size_t middle = begin + (end - begin) / 2;
        Placed& node = entries_[ids[middle]];
        node.red = depth > 0 && depth + 1 == height && (std::size_t{1} << height) - 1 != ids.size();
        node.left = Tree(ids, begin, middle, depth + 1, height);
        node.right = Tree(ids, middle + 1, end, depth + 1, height);
        return ids[middle];
    }

    void LayOutStreams() {
        std::vector<std::uint32_t> chain;
        for (Placed& placed : entries_) {
            const CompoundEntry& entry = *placed.entry;
            if (entry.isStorage || entry.bytes.empty()) {
                continue;
            }
            placed.size = entry.bytes.size();
            if (entry.bytes.size() < kMiniCutoff) {
                placed.start = static_cast<std::uint32_t>(miniStream_.size() / kMiniSector);
                miniStream_ += entry.bytes;
                miniStream_.resize(
                    (miniStream_.size() + kMiniSector - 1) / kMiniSector * kMiniSector, '\0');
                Link(miniFat_, placed.start, miniStream_.size() / kMiniSector);
            } else {
                placed.start = static_cast<std::uint32_t>(regularSectors_);
                regular_ += Padded(entry.bytes);
                regularSectors_ = Sectors(regular_.size());
                streamChains_.push_back(
                    {placed.start, static_cast<std::uint32_t>(regularSectors_)});
            }
        }
    }

    // Chains the sectors [from, to) of `table` one after another.
    static void Link(std::vector<std::uint32_t>& table, std::size_t from, std::size_t to) {
        table.resize(std::max(table.size(), to), kFree);
        for (std::size_t n = from; n < to; ++n) {
            table[n] = n + 1 == to ? kEndOfChain : static_cast<std::uint32_t>(n + 1);
        }
    }

    std::size_t DirectorySectors() const { return Sectors(entries_.size() * kEntrySize); }
    std::size_t MiniFatSectors() const { return Sectors(miniFat_.size() * 4); }

    std::string Directory(std::uint32_t first) {
        std::size_t miniStart = first + DirectorySectors() + MiniFatSectors();
        entries_[0].start =
            miniStream_.empty() ? kEndOfChain : static_cast<std::uint32_t>(miniStart);
        entries_[0].size = miniStream_.size();
        std::size_t regularStart = miniStart + Sectors(miniStream_.size());
        std::string out;
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            Placed placed = entries_[i];
            if (i > 0 && placed.size >= kMiniCutoff) {
                placed.start += static_cast<std::uint32_t>(regularStart);
            }
            out += EntryBytes(placed, i == 0);
        }
        while (out.size() % kSector != 0) {
            out += UnusedEntry();
        }
        return out;
    }

    static std::string EntryBytes(const Placed& placed, bool root) {
        const CompoundEntry& entry = *placed.entry;
        std::string out;
        for (char16_t c : entry.name.substr(0, kLongestName)) {
            le::PutU16(out, c);
        }
        std::size_t nameBytes = out.size() + 2;
        out.resize(64, '\0');
        le::PutU16(out, static_cast<std::uint16_t>(nameBytes));
        out += static_cast<char>(root ? kRoot : entry.isStorage ? kStorage : kStream);
        out += static_cast<char>(placed.red ? 0 : 1);
        le::PutU32(out, placed.left);
        le::PutU32(out, placed.right);
        le::PutU32(out, placed.child);
        out.append(reinterpret_cast<const char*>(entry.clsid.data()), entry.clsid.size());
        le::PutU32(out, entry.stateBits);
        le::PutU64(out, entry.created);
        le::PutU64(out, entry.modified);
        bool storage = entry.isStorage && !root;
        le::PutU32(out, storage ? 0 : placed.start);
        le::PutU64(out, storage ? 0 : placed.size);
        return out;
    }

    static std::string UnusedEntry() {
        std::string out(kEntrySize, '\0');
        for (std::size_t at = 68; at < 80; ++at) {
            out[at] = '\xFF';
        }
        return out;
    }

    std::string MiniFat() const {
        std::string out;
        for (std::uint32_t next : miniFat_) {
            le::PutU32(out, next);
        }
        while (out.size() % kSector != 0) {
            le::PutU32(out, kFree);
        }
        return out;
    }

    std::string Header(std::size_t fatCount, std::size_t difatCount, std::uint32_t first) const {
        std::string out(kSignature);
        out.resize(24, '\0');
        le::PutU16(out, 0x003E);
        le::PutU16(out, 3);
        le::PutU16(out, 0xFFFE);
        le::PutU16(out, 9);
        le::PutU16(out, 6);
        out.resize(44, '\0');
        le::PutU32(out, static_cast<std::uint32_t>(fatCount));
        le::PutU32(out, first);
        le::PutU32(out, 0);
        le::PutU32(out, static_cast<std::uint32_t>(kMiniCutoff));
        std::size_t miniFatStart = first + DirectorySectors();
        le::PutU32(out, miniFat_.empty() ? kEndOfChain : static_cast<std::uint32_t>(miniFatStart));
        le::PutU32(out, static_cast<std::uint32_t>(MiniFatSectors()));
        le::PutU32(out, difatCount == 0 ? kEndOfChain : static_cast<std::uint32_t>(fatCount));
        le::PutU32(out, static_cast<std::uint32_t>(difatCount));
        for (std::size_t i = 0; i < kHeaderFatSlots; ++i) {
            le::PutU32(out, i < fatCount ? static_cast<std::uint32_t>(i) : kFree);
        }
        return out;
    }

    std::string Fat(std::size_t fatCount, std::size_t difatCount) const {
        std::vector<std::uint32_t> fat(fatCount, kFatSector);
        fat.resize(fatCount + difatCount, kDifatSector);
        std::size_t at = fat.size();
        for (std::size_t sectors :
             {DirectorySectors(), MiniFatSectors(), Sectors(miniStream_.size())}) {
            if (sectors > 0) {
                Link(fat, at, at + sectors);
            }
            at += sectors;
        }
        for (auto [from, to] : streamChains_) {
            Link(fat, at + from, at + to);
        }
        fat.resize(fatCount * kPerSector, kFree);
        std::string out;
        for (std::uint32_t next : fat) {
            le::PutU32(out, next);
        }
        return out;
    }

    static std::string Difat(std::size_t fatCount, std::size_t difatCount) {
        std::string out;
        std::size_t fat = kHeaderFatSlots;
        for (std::size_t i = 0; i < difatCount; ++i) {
            for (std::size_t slot = 0; slot + 1 < kPerSector; ++slot, ++fat) {
                le::PutU32(out, fat < fatCount ? static_cast<std::uint32_t>(fat) : kFree);
            }
            le::PutU32(out, i + 1 == difatCount ? kEndOfChain
                                                : static_cast<std::uint32_t>(fatCount + i + 1));
        }
        return out;
    }

    std::vector<Placed> entries_;
    std::string miniStream_;
    std::vector<std::uint32_t> miniFat_;
    std::string regular_;
    std::size_t regularSectors_ = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> streamChains_;
};

}  // namespace

CompoundEntry ReadCompoundFile(std::string_view file) {
    return Reader(file).Root();
}

std::string WriteCompoundFile(const CompoundEntry& root) {
    return Writer(root).Bytes();
}

}  // namespace brindle::host
