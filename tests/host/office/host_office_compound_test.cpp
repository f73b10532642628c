// The compound file of an Office document: what is written reads back as the same tree, sorted
// as the format wants, however many sectors it takes; a file of 4096-byte sectors reads; and a
// file that does not read as the format says is refused with the byte where it fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "host/office/CompoundFile.h"
#include "host/office/LittleEndian.h"
#include "host/office/OfficeError.h"

namespace brindle::host {
namespace {

using namespace std::string_literals;

CompoundEntry Stream(std::u16string name, std::string bytes) {
    CompoundEntry stream;
    stream.name = std::move(name);
    stream.bytes = std::move(bytes);
    return stream;
}

CompoundEntry Storage(std::u16string name, std::vector<CompoundEntry> children) {
    CompoundEntry storage;
    storage.name = std::move(name);
    storage.isStorage = true;
    storage.children = std::move(children);
    return storage;
}

std::string Bytes(std::size_t size, char seed) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += static_cast<char>(seed + static_cast<char>(i % 251));
    }
    return out;
}

// The black entries on every path from `n` down to a missing child, all alike, or -1 when they
// differ or a red entry has a red child. `directory` holds the entries of the file's directory.
int BlackHeight(const std::string& directory, std::uint32_t n, bool parentRed) {
    if (n == 0xFFFFFFFF) {
        return 0;
    }
    std::size_t at = std::size_t{n} * 128;
    bool red = directory[at + 67] == 0;
    int left = BlackHeight(directory, le::U32(directory, at + 68), red);
    int right = BlackHeight(directory, le::U32(directory, at + 72), red);
    if ((red && parentRed) || left < 0 || left != right) {
        return -1;
    }
    return left + (red ? 0 : 1);
}

// Children sorted as the format wants, each entry read back as it was. Streams of every size
// are the write suite's, which rewrites the corpus's documents; none of those has state bits.
TEST(CompoundFile, ReadsBackEveryEntrySortedAndRefusesTwoNamesAlike) {
    EXPECT_TRUE(NameBefore(u"Z", u"AA"));
    EXPECT_TRUE(NameBefore(u"abc", u"ABD"));
    EXPECT_TRUE(SameName(u"Modul\u00E9", u"MODUL\u00C9"));
    EXPECT_TRUE(SameName(u"\u0434\u0438\u0440", u"\u0414\u0418\u0420"));
    EXPECT_FALSE(SameName(u"dir", u"dirs"));
    CompoundEntry root = Storage(u"Root Entry", {});
    root.modified = 42;
    for (char16_t c : u"zyxwvutsrqponmlkjihgfedcbaZ") {
        if (c != 0) {
            root.children.push_back(Stream(std::u16string(static_cast<std::size_t>(c % 5 + 1), c),
                                           std::string(1, static_cast<char>(c))));
        }
    }
    CompoundEntry deep = Storage(u"Deep", {Storage(u"Deeper", {Stream(u"s", "x")})});
    deep.clsid = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    deep.stateBits = 0x0A;
    deep.created = 0x01D9'0000'1234'5678;
    root.children.push_back(deep);
    std::string file = WriteCompoundFile(root);
    EXPECT_EQ(file.size() % 512, 0u);
    // The directory's one sector chain: its sectors follow one another in what we write.
    std::string directory = file.substr(512 * (1 + le::U32(file, 48)));
    std::uint32_t top = le::U32(directory, 76);
    EXPECT_EQ(directory[128 * top + 67], 1) << "the tree's root is black";
    EXPECT_GT(BlackHeight(directory, top, false), 0);
    CompoundEntry sorted = root;
    std::sort(sorted.children.begin(), sorted.children.end(),
              [](const auto& a, const auto& b) { return NameBefore(a.name, b.name); });
    EXPECT_EQ(ReadCompoundFile(file), sorted);
    root.children.push_back(Stream(std::u16string(32, u'n'), ""));
    EXPECT_THROW(WriteCompoundFile(root), OfficeFileError) << "a name longer than 31";
    root.children.back().name = u"DEEP";
    EXPECT_THROW(WriteCompoundFile(root), OfficeFileError) << "two names alike";
}

TEST(CompoundFile, HoldsMoreStreamsThanTheHeaderCanList) {
    // Over 109 sectors of the sector table: the rest are listed in sectors of their own.
    CompoundEntry root = Storage(u"Root Entry", {Stream(u"big", Bytes(7'500'000, 'b'))});
    EXPECT_EQ(ReadCompoundFile(WriteCompoundFile(root)), root);
}

TEST(CompoundFile, RefusesWhatDoesNotReadWithTheByteWhereItFails) {
    CompoundEntry root = Storage(
        u"Root Entry", {Stream(u"large", Bytes(9000, 'l')), Stream(u"small", Bytes(100, 's'))});
    const std::string good = WriteCompoundFile(root);
    ASSERT_EQ(ReadCompoundFile(good), root);
    std::size_t fat = 512 * (1 + le::U32(good, 76));
    std::size_t directory = 512 * (1 + le::U32(good, 48));
    // The directory: root, then the children sorted ("large" before "small"), "large" at 1.
    std::size_t large = directory + 128 * 1;
    std::uint32_t largeStart = le::U32(good, large + 116);

    auto refused = [](std::string file, std::size_t offset, const char* what) {
        try {
            ReadCompoundFile(file);
            ADD_FAILURE() << what << ": read";
        } catch (const OfficeFileError& e) {
            EXPECT_EQ(e.Offset(), offset) << what << ": " << e.Message();
            EXPECT_EQ(e.Where(), "compound file");
        }
    };
    std::string file = good;
    le::PatchU32(file, large + 124, 0xDEADBEEF);
    EXPECT_EQ(ReadCompoundFile(file), root) << "a size's upper half, which version 3 ignores";
    file[0] = 'X';
    refused(file, 0, "signature");
    file = good;
    le::PatchU32(file, 56, 2048);
    refused(file, 56, "another size of small streams");
    file = good;
    le::PatchU32(file, fat + 4 * (largeStart + 3), largeStart);
    refused(file, large + 116, "a chain that loops");
    file = good;
    le::PatchU32(file, fat + 4 * (largeStart + 3), 100000);
    refused(file, large + 116, "a sector past the end");
    file = good;
    le::PatchU32(file, fat + 4 * (largeStart + 3), 0xFFFFFFFE);
    refused(file, large + 116, "a chain too short for its stream");
    file = good.substr(0, good.size() - 512 * 10);
    refused(file, large + 116, "a file cut short");
    file = good;
    le::PatchU32(file, large + 68, 0);
    refused(file, large + 68, "a tree reaching its root");
    file = good;
    le::PatchU32(file, large + 72, 1);
    refused(file, large + 72, "a tree reaching an entry twice");
}

TEST(CompoundFile, ReadsAFileOf4096ByteSectors) {
    // Version 4: the header alone in the first sector; the FAT in sector 0, the directory in
    // sector 1 (the root and one stream), the stream's 5000 bytes in sectors 2 and 3.
    std::string file(5 * 4096, '\0');
    std::string header = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"s + std::string(16, '\0') +
                         "\x3E\x00\x04\x00\xFE\xFF\x0C\x00\x06\x00"s;
    file.replace(0, header.size(), header);
    le::PatchU32(file, 40, 1);  // directory sectors
    le::PatchU32(file, 44, 1);  // FAT sectors
    le::PatchU32(file, 48, 1);  // the directory's first sector
    le::PatchU32(file, 56, 4096);
    le::PatchU32(file, 60, 0xFFFFFFFE);
    le::PatchU32(file, 68, 0xFFFFFFFE);
    le::PatchU32(file, 76, 0);
    for (std::size_t slot = 1; slot < 109; ++slot) {
        le::PatchU32(file, 76 + 4 * slot, 0xFFFFFFFF);
    }
    const std::uint32_t fat[] = {0xFFFFFFFD, 0xFFFFFFFE, 3, 0xFFFFFFFE};
    for (std::size_t n = 0; n < 1024; ++n) {
        le::PatchU32(file, 4096 + 4 * n, n < 4 ? fat[n] : 0xFFFFFFFF);
    }
    auto entry = [&](std::size_t index, std::u16string name, char type, std::uint32_t child,
                     std::uint32_t start, std::uint32_t size) {
        std::size_t at = 2 * 4096 + 128 * index;
        for (std::size_t i = 0; i < name.size(); ++i) {
            file[at + 2 * i] = static_cast<char>(name[i]);
        }
        file[at + 64] = static_cast<char>(2 * name.size() + 2);
        file[at + 66] = type;
        file[at + 67] = 1;
        le::PatchU32(file, at + 68, 0xFFFFFFFF);
        le::PatchU32(file, at + 72, 0xFFFFFFFF);
        le::PatchU32(file, at + 76, child);
        le::PatchU32(file, at + 116, start);
        le::PatchU32(file, at + 120, size);
    };
    entry(0, u"Root Entry", 5, 1, 0xFFFFFFFE, 0);
    entry(1, u"s", 2, 0xFFFFFFFF, 2, 5000);
    std::string bytes = Bytes(5000, 'v');
    file.replace(3 * 4096, bytes.size(), bytes);

    CompoundEntry root = ReadCompoundFile(file);
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0].name, u"s");
    EXPECT_EQ(root.children[0].bytes, bytes);
}

}  // namespace
}  // namespace brindle::host
