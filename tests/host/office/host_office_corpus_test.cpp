// The Office documents of the corpus, each read down to its modules' source: the zip, the
// compound file, the dir stream and every module's compressed source, as real documents hold
// them.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/office/CompoundFile.h"
#include "host/office/Compression.h"
#include "host/office/OfficeError.h"
#include "host/office/VbaDir.h"
#include "host/office/ZipPackage.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The storage that holds the VBA project: the root of a vbaProject.bin part, or the storage an
// Excel or Word 97-2003 file keeps it in; null for a document without one (an encrypted
// package).
const CompoundEntry* ProjectStorage(const CompoundEntry& root) {
    for (const char16_t* name : {u"_VBA_PROJECT_CUR", u"Macros"}) {
        if (const CompoundEntry* storage = FindChild(root, name)) {
            return storage;
        }
    }
    return FindChild(root, u"VBA") != nullptr ? &root : nullptr;
}

TEST(OfficeCorpus, EveryModuleOfEveryDocumentReadsDownToItsSource) {
    const auto documents =
        test::FilesEndingIn({".xlsm", ".xlam", ".xls", ".docm", ".dotm", ".doc", ".dot", ".pptm"},
                            test::SourceDir() / "corpus" / "office");
    std::size_t projects = 0;
    std::size_t modules = 0;
    std::vector<std::string> unread;
    for (const auto& document : documents) {
        SCOPED_TRACE(document.string());
        std::string bytes = ReadAll(document);
        if (bytes.starts_with("PK")) {
            const ZipPackage package(bytes, document.filename().string());
            for (const auto& entry : package.Entries()) {
                if (entry.name.ends_with("vbaProject.bin")) {
                    bytes = package.Contents(entry);
                }
            }
        }
        const CompoundEntry root = ReadCompoundFile(bytes);
        const CompoundEntry* storage = ProjectStorage(root);
        if (storage == nullptr) {
            EXPECT_NE(FindChild(root, u"EncryptedPackage"), nullptr);
            continue;
        }
        const CompoundEntry* vba = FindChild(*storage, u"VBA");
        ASSERT_NE(vba, nullptr);
        const CompoundEntry* dirStream = FindChild(*vba, u"dir");
        ASSERT_NE(dirStream, nullptr);
        const VbaDir dir = ReadVbaDir(Decompress(dirStream->bytes, "dir"));
        ++projects;
        for (const VbaModule& module : dir.modules) {
            const CompoundEntry* stream = FindChild(*vba, module.unicodeStreamName);
            ASSERT_NE(stream, nullptr) << module.streamName;
            try {
                ModuleSource(stream->bytes, module.textOffset, module.streamName);
                ++modules;
            } catch (const OfficeFileError& e) {
                unread.push_back(document.filename().string() + ": " + e.Message());
            }
        }
    }
    EXPECT_GE(projects, 65u);
    EXPECT_GE(modules, 600u);
    // A file whose modules were stripped to their compiled code: the source area is zeros.
    ASSERT_EQ(unread.size(), 1u);
    EXPECT_TRUE(unread.front().starts_with("60279.doc: ThisDocument")) << unread.front();
}

}  // namespace
}  // namespace brindle::host
