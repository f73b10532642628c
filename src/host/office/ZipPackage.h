#pragma once
// An Open XML document as its zip archive: read so that it can be written back with one part
// replaced and every other entry as it was, byte for byte. Each entry's local record (header,
// data and the descriptor after them) is kept as it stands and copied; the replaced part gets a
// record of its own, and the central directory is made again around them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::host {

struct ZipEntry {
    std::string name;  // the part's name as the archive holds it ("xl/vbaProject.bin")
    std::uint16_t flags = 0;
    std::uint16_t method = 0;  // 0 stored, 8 deflated
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t size = 0;
    std::size_t recordBegin = 0;  // the local header
    std::size_t dataBegin = 0;    // the data after it
    std::size_t recordEnd = 0;    // after the data and its descriptor
    std::size_t central = 0;      // where its central directory record begins
    std::size_t centralEnd = 0;
};

class ZipPackage {
public:
    // Raises OfficeFileError, naming `file` and the byte, for an archive that does not read as
    // a zip archive does, and for one Brindle cannot write back exactly: split over several
    // files, of the 64-bit extension, with an encrypted entry.
    ZipPackage(std::string bytes, std::string file);

    const std::vector<ZipEntry>& Entries() const { return entries_; }
    // The entry of the part, its name compared as packages compare them (ASCII letters in any
    // case); null when there is none.
    const ZipEntry* Find(std::string_view name) const;
    // The part's bytes, inflated and checked against the entry's checksum.
    std::string Contents(const ZipEntry& entry) const;
    // The archive with the part's bytes replaced by `contents`, deflated; every other entry's
    // record and central record unchanged but for where the records now begin.
    std::string With(const ZipEntry& entry, std::string_view contents) const;

private:
    void ReadCentralDirectory(std::size_t end);
    void ReadLocalRecord(ZipEntry& entry) const;

    std::string bytes_;
    std::string file_;
    std::vector<ZipEntry> entries_;
    std::size_t centralBegin_ = 0;
    std::size_t centralEnd_ = 0;
    std::string comment_;
};

}  // namespace brindle::host
