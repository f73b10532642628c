// A VBA project's "dir" stream and its modules' source: records built here as a document keeps
// them, read into the project's modules and given back byte for byte; records out of place or
// of a wrong length refused at their offset; a module's source found in its stream.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host/office/Compression.h"
#include "host/office/OfficeError.h"
#include "host/office/VbaDir.h"

namespace brindle::host {
namespace {

using namespace std::string_literals;

std::string U16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string U32(std::uint32_t value) {
    return U16(static_cast<std::uint16_t>(value & 0xFFFF)) +
           U16(static_cast<std::uint16_t>(value >> 16));
}

std::string Record(std::uint16_t id, const std::string& data) {
    return U16(id) + U32(static_cast<std::uint32_t>(data.size())) + data;
}

// Text and its UTF-16LE twin, as the records that carry both give them.
std::string Twin(std::uint16_t id, std::uint16_t unicodeId, const std::string& ascii) {
    std::string wide;
    for (char c : ascii) {
        wide += c;
        wide += '\0';
    }
    return Record(id, ascii) + Record(unicodeId, wide);
}

std::string Project(std::uint16_t moduleCount) {
    return Record(0x0001, U32(3)) + Record(0x004A, U32(0x5B)) + Record(0x0002, U32(0x409)) +
           Record(0x0014, U32(0x409)) + Record(0x0003, U16(1252)) + Record(0x0004, "VBAProject") +
           Twin(0x0005, 0x0040, "Sums") + Twin(0x0006, 0x003D, "") + Record(0x0007, U32(0)) +
           Record(0x0008, U32(0)) + U16(0x0009) + U32(4) + U32(1) +
           U16(2) +  // the version: two fields past its length
           Twin(0x000C, 0x003C, "DEBUG = 1") + Twin(0x0016, 0x003E, "stdole") +
           Record(0x000D, U32(10) + "*\\G{00020430}" + U32(0) + U16(0)) +
           Record(0x000F, U16(moduleCount)) + Record(0x0013, U16(0xFFFF));
}

std::string Module1() {
    return Record(0x0019, "Module1") + Record(0x0047, "M\0o\0d\0u\0l\0e\0001\0"s) +
           Twin(0x001A, 0x0032, "Module1") + Twin(0x001C, 0x0048, "") + Record(0x0031, U32(0x2C5)) +
           Record(0x001E, U32(0)) + Record(0x002C, U16(0xFFFF)) + Record(0x0021, "") +
           Record(0x002B, "");
}

std::string Sheet1() {
    return Record(0x0019, "Feuil1") + Twin(0x001A, 0x0032, "Feuil1") + Record(0x0031, U32(0x3E7)) +
           Record(0x002C, U16(0xFFFF)) + Record(0x0022, "") + Record(0x0025, "") +
           Record(0x0028, "") + Record(0x002B, "");
}

std::string Dir() {
    return Project(2) + Module1() + Sheet1() + Record(0x0010, "");
}

TEST(VbaDir, ReadsTheProjectsModulesAndGivesTheBytesBack) {
    std::string stream = Dir();
    VbaDir dir = ReadVbaDir(stream);
    EXPECT_EQ(dir.codePage, 1252);
    EXPECT_EQ(dir.projectName, "VBAProject");
    ASSERT_EQ(dir.modules.size(), 2u);
    const VbaModule& module = dir.modules[0];
    EXPECT_EQ(module.name, "Module1");
    EXPECT_EQ(module.unicodeName, u"Module1");
    EXPECT_EQ(module.streamName, "Module1");
    EXPECT_EQ(module.unicodeStreamName, u"Module1");
    EXPECT_EQ(module.textOffset, 0x2C5u);
    EXPECT_EQ(module.type, VbaModuleType::Procedural);
    EXPECT_FALSE(module.readOnly || module.isPrivate);
    const VbaModule& sheet = dir.modules[1];
    EXPECT_EQ(sheet.name, "Feuil1");
    EXPECT_EQ(sheet.unicodeName, u"");
    EXPECT_EQ(sheet.textOffset, 0x3E7u);
    EXPECT_EQ(sheet.type, VbaModuleType::Document);
    EXPECT_TRUE(sheet.readOnly && sheet.isPrivate);
    EXPECT_EQ(sheet.records.front().offset, Project(2).size() + Module1().size());
    EXPECT_EQ(WriteVbaDir(dir), stream);
}

TEST(VbaDir, RefusesARecordOutOfPlaceOrOfAWrongLengthAtItsOffset) {
    std::string project = Project(2);
    std::size_t codePage = project.find(Record(0x0003, U16(1252)));
    std::string wrongLength = project;
    wrongLength.replace(codePage, 8, Record(0x0003, "\xE4\x04\x00"s));
    const struct {
        std::string stream;
        std::size_t offset;
        const char* what;
    } bad[] = {
        {wrongLength + Module1() + Sheet1() + Record(0x0010, ""), codePage, "a wrong length"},
        {Record(0x00FF, "") + Dir(), 0, "an id of no record"},
        {Project(2) + Module1() + Record(0x0003, U16(1252)) + Sheet1() + Record(0x0010, ""),
         project.size() + Module1().size(), "a project's record among the modules"},
        {Project(3) + Module1() + Sheet1() + Record(0x0010, ""),
         project.size() + Module1().size() + Sheet1().size(), "fewer modules than counted"},
        {Dir().substr(0, Dir().size() - 2), Dir().size() - 6, "the last record cut off"},
        {Project(1) + Record(0x0019, "Module1") + Record(0x0021, "") + Record(0x002B, "") +
             Record(0x0010, ""),
         project.size(), "a module without its stream"},
        {Dir() + "\0"s, Dir().size(), "bytes after the end"},
    };
    for (const auto& c : bad) {
        try {
            ReadVbaDir(c.stream);
            ADD_FAILURE() << c.what << ": read";
        } catch (const OfficeFileError& e) {
            EXPECT_EQ(e.Where(), "dir") << c.what;
            EXPECT_EQ(e.Offset(), c.offset) << c.what << ": " << e.Message();
        }
    }
}

TEST(VbaDir, FindsAModulesSourceAfterItsTextOffset) {
    std::string source = "Attribute VB_Name = \"Module1\"\r\nSub Main()\r\nEnd Sub\r\n";
    std::string cache(0x2C5, '\xCC');
    std::string stream = cache + Compress(source);
    EXPECT_EQ(ModuleSource(stream, 0x2C5, "Module1"), source);
    EXPECT_THROW(ModuleSource(stream, 0x2C5 - 1, "Module1"), OfficeFileError);
    try {
        ModuleSource(stream, static_cast<std::uint32_t>(stream.size() + 1), "Module1");
        ADD_FAILURE() << "an offset past the stream read";
    } catch (const OfficeFileError& e) {
        EXPECT_EQ(e.Offset(), stream.size() + 1);
    }
    try {
        ModuleSource(stream.substr(0, stream.size() - 4), 0x2C5, "Module1");
        ADD_FAILURE() << "a cut source read";
    } catch (const OfficeFileError& e) {
        EXPECT_EQ(e.Where(), "Module1");
        EXPECT_EQ(e.Offset(), 0x2C5u + 1) << "the chunk's header, in the module's stream";
    }
}

}  // namespace
}  // namespace brindle::host
