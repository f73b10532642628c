#pragma once
// The compound file that holds an Office document's VBA project (a whole .xls/.doc/.ppt, or the
// vbaProject.bin part of the zip of an .xlsm/.docm/.pptm): a file system in a file, of storages
// (folders) and streams, in sectors chained by a table of sector numbers, small streams in
// 64-byte sectors of their own within one stream of the root.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::host {

// A storage with its children, or a stream with its bytes. The root is a storage too.
struct CompoundEntry {
    std::u16string name;
    bool isStorage = false;
    std::array<std::uint8_t, 16> clsid{};
    std::uint32_t stateBits = 0;
    // FILETIMEs, kept as they are: 100 ns ticks since 1601, 0 when not set.
    std::uint64_t created = 0;
    std::uint64_t modified = 0;
    std::string bytes;                    // a stream's
    std::vector<CompoundEntry> children;  // a storage's, in the order of their names

    bool operator==(const CompoundEntry&) const = default;
};

// Whether `a` sorts before `b` among the children of a storage: the shorter name first, names
// of one length by their characters in upper case.
bool NameBefore(std::u16string_view a, std::u16string_view b);

// Whether two names are the same name for the format (letter case aside).
bool SameName(std::u16string_view a, std::u16string_view b);

// The child of `storage` named `name`; null when there is none.
const CompoundEntry* FindChild(const CompoundEntry& storage, std::u16string_view name);
CompoundEntry* FindChild(CompoundEntry& storage, std::u16string_view name);

// The root storage of a compound file's bytes. Raises OfficeFileError for a file that does not
// read as the format says: a wrong signature or header, a sector past the end of the file, a
// chain of sectors that loops or ends early, a directory tree that loops or points outside it.
CompoundEntry ReadCompoundFile(std::string_view file);

// The bytes of a compound file of `root` (version 3, 512-byte sectors, streams under 4096
// bytes in the mini stream), each entry's CLSID, state bits and times kept. The children of
// each storage are sorted as the format wants; two children of one name raise OfficeFileError.
std::string WriteCompoundFile(const CompoundEntry& root);

}  // namespace brindle::host
