#include "host/office/ZipPackage.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "host/office/LittleEndian.h"
#include "host/office/OfficeError.h"
#include "util/Text.h"

namespace brindle::host {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kEnd64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kDescriptorSignature = 0x08074b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::uint16_t kEncrypted = 0x0001;
constexpr std::uint16_t kDescriptor = 0x0008;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;

std::uint32_t Crc(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes lengths of 32 bits: a part is fed in pieces.
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
        const auto piece = bytes.substr(at, kPiece);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(piece.data()),
                    static_cast<uInt>(piece.size()));
    }
    return static_cast<std::uint32_t>(crc);
}

std::string Deflate(std::string_view data) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::bad_alloc();
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw std::bad_alloc();
    }
    return out;
}

// The deflated `data` inflated to `size` bytes, or nothing when it does not inflate to that.
bool Inflate(std::string_view data, std::string& out) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        throw std::bad_alloc();
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.total_out == out.size();
    inflateEnd(&stream);
    return whole;
}

}  // namespace

ZipPackage::ZipPackage(std::string bytes, std::string file)
    : bytes_(std::move(bytes)), file_(std::move(file)) {
    // The end record stands last, after a comment of up to 65,535 bytes.
    const std::size_t size = bytes_.size();
    std::size_t end = std::string::npos;
    for (std::size_t at = size >= kEndSize ? size - kEndSize + 1 : 0; at-- > 0;) {
        if (le::U32(bytes_, at) == kEndSignature &&
            at + kEndSize + le::U16(bytes_, at + 20) == size) {
            end = at;
            break;
        }
        if (size - at > kEndSize + 0xFFFF) {
            break;
        }
    }
    if (end == std::string::npos) {
        RaiseBadFormat(file_, size, "no end of central directory: not a zip archive");
    }
    ReadCentralDirectory(end);
}

void ZipPackage::ReadCentralDirectory(std::size_t end) {
    if (end >= 20 && le::U32(bytes_, end - 20) == kEnd64LocatorSignature) {
        RaiseBadFormat(file_, end - 20, "a zip archive of the 64-bit extension");
    }
    if (le::U16(bytes_, end + 4) != 0 || le::U16(bytes_, end + 6) != 0) {
        RaiseBadFormat(file_, end + 4, "a zip archive split over several files");
    }
    const std::uint16_t count = le::U16(bytes_, end + 10);
    centralBegin_ = le::U32(bytes_, end + 16);
    centralEnd_ = centralBegin_ + le::U32(bytes_, end + 12);
    if (centralEnd_ > end || le::U16(bytes_, end + 8) != count) {
        RaiseBadFormat(file_, end, "the central directory lies outside the archive");
    }
    comment_ = bytes_.substr(end + kEndSize);
    std::size_t at = centralBegin_;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (at + kCentralSize > centralEnd_ || le::U32(bytes_, at) != kCentralSignature) {
            RaiseBadFormat(file_, at, "a central directory record expected");
        }
        ZipEntry entry;
        entry.central = at;
        entry.flags = le::U16(bytes_, at + 8);
        entry.method = le::U16(bytes_, at + 10);
        entry.crc = le::U32(bytes_, at + 16);
        entry.compressedSize = le::U32(bytes_, at + 20);
        entry.size = le::U32(bytes_, at + 24);
        const std::size_t nameSize = le::U16(bytes_, at + 28);
        entry.centralEnd =
            at + kCentralSize + nameSize + le::U16(bytes_, at + 30) + le::U16(bytes_, at + 32);
        if (entry.centralEnd > centralEnd_) {
            RaiseBadFormat(file_, at, "a central directory record runs past the directory");
        }
        entry.name = bytes_.substr(at + kCentralSize, nameSize);
        entry.recordBegin = le::U32(bytes_, at + 42);
        if ((entry.flags & kEncrypted) != 0) {
            RaiseBadFormat(file_, at, "the part \"" + entry.name + "\" is encrypted");
        }
        ReadLocalRecord(entry);
        at = entry.centralEnd;
        entries_.push_back(std::move(entry));
    }
    auto records = entries_;
    std::sort(records.begin(), records.end(),
              [](const ZipEntry& a, const ZipEntry& b) { return a.recordBegin < b.recordBegin; });
    for (std::size_t i = 1; i < records.size(); ++i) {
        if (records[i].recordBegin < records[i - 1].recordEnd) {
            RaiseBadFormat(file_, records[i].recordBegin, "two parts' records overlap");
        }
    }
}

void ZipPackage::ReadLocalRecord(ZipEntry& entry) const {
    const std::size_t at = entry.recordBegin;
    if (at + kLocalSize > centralBegin_ || le::U32(bytes_, at) != kLocalSignature) {
        RaiseBadFormat(file_, at, "the record of the part \"" + entry.name + "\" is missing");
    }
    const std::size_t nameSize = le::U16(bytes_, at + 26);
    entry.dataBegin = at + kLocalSize + nameSize + le::U16(bytes_, at + 28);
    if (bytes_.compare(at + kLocalSize, nameSize, entry.name) != 0) {
        RaiseBadFormat(file_, at, "the record of the part \"" + entry.name + "\" names another");
    }
    std::size_t end = entry.dataBegin + entry.compressedSize;
    if ((entry.flags & kDescriptor) != 0) {
        const bool marked =
            end + 4 <= centralBegin_ && le::U32(bytes_, end) == kDescriptorSignature;
        end += marked ? std::size_t{16} : std::size_t{12};
    }
    if (end > centralBegin_) {
        RaiseBadFormat(file_, at, "the data of the part \"" + entry.name + "\" runs past its end");
    }
    entry.recordEnd = end;
}

const ZipEntry* ZipPackage::Find(std::string_view name) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const ZipEntry& entry) {
        return EqualsNoCase(entry.name, name);
    });
    return found == entries_.end() ? nullptr : &*found;
}

std::string ZipPackage::Contents(const ZipEntry& entry) const {
    const std::string_view data =
        std::string_view(bytes_).substr(entry.dataBegin, entry.compressedSize);
    std::string contents;
    if (entry.method == kStored) {
        if (entry.compressedSize != entry.size) {
            RaiseBadFormat(file_, entry.recordBegin,
                           "the stored part \"" + entry.name + "\" has two sizes");
        }
        contents = data;
    } else if (entry.method == kDeflated) {
        // Deflate packs at most 1,032 bytes into one: a larger size is a lie, not a reason
        // to set gigabytes aside.
        if (entry.size / 1032 > entry.compressedSize) {
            RaiseBadFormat(file_, entry.recordBegin,
                           "the part \"" + entry.name + "\" claims more than it can hold");
        }
        contents.assign(entry.size, '\0');
        if (!Inflate(data, contents)) {
            RaiseBadFormat(file_, entry.dataBegin,
                           "the part \"" + entry.name + "\" does not inflate to its size");
        }
    } else {
        RaiseBadFormat(file_, entry.recordBegin,
                       "the part \"" + entry.name + "\" is packed in a way Brindle cannot read");
    }
    if (Crc(contents) != entry.crc) {
        RaiseBadFormat(file_, entry.dataBegin,
                       "the part \"" + entry.name + "\" does not match its checksum");
    }
    return contents;
}

std::string ZipPackage::With(const ZipEntry& replaced, std::string_view contents) const {
    if (contents.size() > std::numeric_limits<std::uint32_t>::max()) {
        RaiseBadFormat(file_, replaced.recordBegin, "the part would need the 64-bit extension");
    }
    const std::string data = Deflate(contents);
    const std::uint32_t crc = Crc(contents);
    std::vector<const ZipEntry*> records;
    for (const ZipEntry& entry : entries_) {
        records.push_back(&entry);
    }
    std::sort(records.begin(), records.end(),
              [](const ZipEntry* a, const ZipEntry* b) { return a->recordBegin < b->recordBegin; });
    std::string out;
    out.reserve(bytes_.size() + data.size());
    std::vector<std::size_t> moved(entries_.size());  // where each entry's record now begins
    std::size_t cursor = 0;
    for (const ZipEntry* entry : records) {
        out.append(bytes_, cursor, entry->recordBegin - cursor);
        moved[static_cast<std::size_t>(entry - entries_.data())] = out.size();
        if (entry == &replaced) {
            std::string header =
                bytes_.substr(entry->recordBegin, entry->dataBegin - entry->recordBegin);
            le::PatchU16(header, 6, static_cast<std::uint16_t>(entry->flags & ~kDescriptor));
            le::PatchU16(header, 8, kDeflated);
            le::PatchU32(header, 14, crc);
            le::PatchU32(header, 18, static_cast<std::uint32_t>(data.size()));
            le::PatchU32(header, 22, static_cast<std::uint32_t>(contents.size()));
            out += header;
            out += data;
        } else {
            out.append(bytes_, entry->recordBegin, entry->recordEnd - entry->recordBegin);
        }
        cursor = entry->recordEnd;
    }
    out.append(bytes_, cursor, centralBegin_ - cursor);
    const std::size_t centralBegin = out.size();
    if (centralBegin + (centralEnd_ - centralBegin_) > std::numeric_limits<std::uint32_t>::max()) {
        RaiseBadFormat(file_, replaced.recordBegin, "the archive would need the 64-bit extension");
    }
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const ZipEntry& entry = entries_[i];
        std::string record = bytes_.substr(entry.central, entry.centralEnd - entry.central);
        if (&entry == &replaced) {
            le::PatchU16(record, 8, static_cast<std::uint16_t>(entry.flags & ~kDescriptor));
            le::PatchU16(record, 10, kDeflated);
            le::PatchU32(record, 16, crc);
            le::PatchU32(record, 20, static_cast<std::uint32_t>(data.size()));
            le::PatchU32(record, 24, static_cast<std::uint32_t>(contents.size()));
        }
        le::PatchU32(record, 42, static_cast<std::uint32_t>(moved[i]));
        out += record;
    }
    const std::size_t centralSize = out.size() - centralBegin;
    out.append(bytes_, centralEnd_, bytes_.size() - comment_.size() - kEndSize - centralEnd_);
    std::string end = bytes_.substr(bytes_.size() - comment_.size() - kEndSize, kEndSize);
    le::PatchU32(end, 12, static_cast<std::uint32_t>(centralSize));
    le::PatchU32(end, 16, static_cast<std::uint32_t>(centralBegin));
    out += end;
    out += comment_;
    return out;
}

}  // namespace brindle::host
