// The zip archive of the Open XML formats: every document of the corpus read and written back
// with its VBA part replaced, every other entry's bytes kept; archives that cannot be kept
// exactly, or do not read, refused with where.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host/office/LittleEndian.h"
#include "host/office/OfficeError.h"
#include "host/office/ZipPackage.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

std::string_view Record(std::string_view bytes, const ZipEntry& entry) {
    return bytes.substr(entry.recordBegin, entry.recordEnd - entry.recordBegin);
}

std::string U16(std::uint16_t value) {
    std::string bytes;
    le::PutU16(bytes, value);
    return bytes;
}

std::string U32(std::uint32_t value) {
    std::string bytes;
    le::PutU32(bytes, value);
    return bytes;
}

// An archive of one stored part, as a zip tool writes one: `flags` 8 puts the checksum and sizes
// in a descriptor after the data.
std::string StoredArchive(std::string name, std::string data, std::uint32_t crc,
                          std::uint16_t flags = 0, std::string comment = {}) {
    const bool descriptor = (flags & 8) != 0;
    const auto size = static_cast<std::uint32_t>(data.size());
    std::string sizes = U32(crc) + U32(size) + U32(size);
    std::string local = U32(0x04034b50) + U16(20) + U16(flags) + U16(0) + U32(0) +
                        (descriptor ? std::string(12, '\0') : sizes) +
                        U16(static_cast<std::uint16_t>(name.size())) + U16(0) + name + data;
    if (descriptor) {
        local += U32(0x08074b50) + sizes;
    }
    const std::string central = U32(0x02014b50) + U16(20) + U16(20) + U16(flags) + U16(0) + U32(0) +
                                sizes + U16(static_cast<std::uint16_t>(name.size())) + U16(0) +
                                U16(0) + U16(0) + U16(0) + U32(0) + U32(0) + name;
    return local + central + U32(0x06054b50) + U16(0) + U16(0) + U16(1) + U16(1) +
           U32(static_cast<std::uint32_t>(central.size())) +
           U32(static_cast<std::uint32_t>(local.size())) +
           U16(static_cast<std::uint16_t>(comment.size())) + comment;
}

constexpr std::uint32_t kCrcOfHello = 0x3610A686;  // of "hello"

TEST(ZipPackage, EveryDocumentOfTheCorpusTakesANewVbaPartAndKeepsEveryOtherEntry) {
    const auto documents = test::FilesEndingIn({".xlsm", ".xlam", ".docm", ".dotm", ".pptm"},
                                               test::SourceDir() / "corpus" / "office");
    ASSERT_GE(documents.size(), 20u);
    for (const auto& document : documents) {
        SCOPED_TRACE(document.string());
        const std::string bytes = test::ReadBytes(document);
        if (!bytes.starts_with("PK")) {
            continue;  // encrypted: the package is then one compound file
        }
        const ZipPackage package(bytes, document.filename().string());
        const ZipEntry* vba = nullptr;
        for (const auto& entry : package.Entries()) {
            vba = entry.name.ends_with("vbaProject.bin") ? &entry : vba;
        }
        ASSERT_NE(vba, nullptr);
        const std::string project = package.Contents(*vba);
        ASSERT_EQ(project.substr(0, 4), "\xD0\xCF\x11\xE0");
        const std::string changed = project + "more";
        const std::string written = package.With(*vba, changed);
        const ZipPackage again(written, "again");
        ASSERT_EQ(again.Entries().size(), package.Entries().size());
        for (std::size_t i = 0; i < package.Entries().size(); ++i) {
            const ZipEntry& before = package.Entries()[i];
            const ZipEntry& after = again.Entries()[i];
            EXPECT_EQ(after.name, before.name);
            if (&before == vba) {
                EXPECT_EQ(again.Contents(after), changed);
            } else {
                EXPECT_EQ(Record(written, after), Record(bytes, before)) << before.name;
            }
        }
    }
}

TEST(ZipPackage, ReadsADescriptorAndKeepsTheCommentWhenItWritesAgain) {
    const std::string bytes = StoredArchive("word/vbaProject.bin", "hello", kCrcOfHello, 8, "note");
    const ZipPackage package(bytes, "Doc.docm");
    const ZipEntry* entry = package.Find("WORD/vbaproject.BIN");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(package.Contents(*entry), "hello");
    const std::string written = package.With(*entry, std::string(10000, 'x'));
    EXPECT_TRUE(written.ends_with("note"));
    const ZipPackage again(written, "again");
    EXPECT_EQ(again.Contents(again.Entries().front()), std::string(10000, 'x'));
    EXPECT_EQ(package.Find("xl/vbaProject.bin"), nullptr);
}

TEST(ZipPackage, RefusesWhatItCannotReadOrWriteBackExactly) {
    const std::string good = StoredArchive("a.bin", "hello", kCrcOfHello);
    std::string encrypted = StoredArchive("a.bin", "hello", kCrcOfHello, 1);
    std::string split = good;
    split[split.size() - 22 + 4] = 1;  // the number of this file among several
    const struct {
        std::string bytes;
        std::string why;
    } cases[] = {
        {"PK", "not a zip archive"},
        {good.substr(0, good.size() - 1), "not a zip archive"},
        {encrypted, "is encrypted"},
        {split, "split over several files"},
        {good.substr(10), "outside the archive"},
    };
    for (const auto& bad : cases) {
        try {
            ZipPackage package(bad.bytes, "Book.xlsm");
            ADD_FAILURE() << "read: " << bad.why;
        } catch (const OfficeFileError& e) {
            EXPECT_EQ(e.Where(), "Book.xlsm");
            EXPECT_NE(e.Detail().find(bad.why), std::string::npos) << e.Message();
        }
    }
    const ZipPackage wrongSum(StoredArchive("a.bin", "hello", kCrcOfHello + 1), "Book.xlsm");
    EXPECT_THROW(wrongSum.Contents(wrongSum.Entries().front()), OfficeFileError);
}

}  // namespace
}  // namespace brindle::host
