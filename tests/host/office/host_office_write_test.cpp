// A document's VBA project written back with its modules' sources replaced, on every document of
// the corpus: the new sources read back, nothing else changes but what the format tells writers
// to change (the zip's other entries are ZipPackage's), and the original sources written again
// read back as they were; a signed project and one locked for viewing are refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "host/office/CompoundFile.h"
#include "host/office/Compression.h"
#include "host/office/OfficeError.h"
#include "host/office/VbaDir.h"
#include "host/office/VbaDocument.h"
#include "host/office/ZipPackage.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

// The compound file that holds the document's project.
CompoundEntry CompoundOf(const std::string& bytes) {
    if (!bytes.starts_with("PK")) {
        return ReadCompoundFile(bytes);
    }
    const ZipPackage package(bytes, "document");
    for (const auto& entry : package.Entries()) {
        if (entry.name.ends_with("vbaProject.bin")) {
            return ReadCompoundFile(package.Contents(entry));
        }
    }
    return {};
}

const CompoundEntry& VbaStorage(const CompoundEntry& root) {
    for (const char16_t* name : {u"_VBA_PROJECT_CUR", u"Macros"}) {
        if (const CompoundEntry* project = FindChild(root, name)) {
            return *FindChild(*project, u"VBA");
        }
    }
    return *FindChild(root, u"VBA");
}

// Every storage and stream by its path, without its children.
void Flatten(const CompoundEntry& storage, const std::u16string& path,
             std::map<std::u16string, CompoundEntry>& out) {
    for (const auto& child : storage.children) {
        Flatten(child, path + u"/" + child.name, out);
        out[path + u"/" + child.name] = child;
        out[path + u"/" + child.name].children.clear();
    }
}

// Each module's source with a comment at its end.
std::vector<ModuleChange> Commented(const DocumentProject& project) {
    std::vector<ModuleChange> changes;
    for (std::size_t i = 0; i < project.modules.size(); ++i) {
        changes.push_back({i, project.modules[i].source + "' changed by the test\r\n"});
    }
    return changes;
}

void ExpectSources(const std::string& bytes, const std::vector<ModuleChange>& changes) {
    const DocumentProject project = ReadDocumentProject(bytes, "written");
    ASSERT_EQ(project.modules.size(), changes.size());
    for (const auto& change : changes) {
        EXPECT_EQ(project.modules[change.module].source, change.source)
            << project.modules[change.module].name;
    }
}

// What [MS-OVBA] tells writers: _VBA_PROJECT of the version no application is and no cache, no
// SRP stream, every module's source at the start of its stream (all changed here), the dir
// stream otherwise as it was; every other storage and stream as it was.
void ExpectWrittenAsWritersMust(const std::string& before, const std::string& after) {
    const CompoundEntry was = CompoundOf(before), is = CompoundOf(after);
    const CompoundEntry& vba = VbaStorage(is);
    EXPECT_EQ(FindChild(vba, u"_VBA_PROJECT")->bytes.substr(0, 5),
              std::string("\xCC\x61\xFF\xFF\x00", 5));
    EXPECT_EQ(FindChild(vba, u"_VBA_PROJECT")->bytes.size(), 7u);
    VbaDir dir = ReadVbaDir(Decompress(FindChild(VbaStorage(was), u"dir")->bytes));
    std::vector<std::u16string> rewritten = {u"dir", u"_VBA_PROJECT"};
    for (auto& module : dir.modules) {
        for (auto& record : module.records) {
            if (record.id == 0x0031) {  // MODULEOFFSET
                record.bytes.replace(6, 4, std::string(4, '\0'));
            }
        }
        rewritten.push_back(module.unicodeStreamName);
    }
    EXPECT_EQ(Decompress(FindChild(vba, u"dir")->bytes), WriteVbaDir(dir));
    std::map<std::u16string, CompoundEntry> wasFlat, isFlat;
    Flatten(was, u"", wasFlat);
    Flatten(is, u"", isFlat);
    for (const auto& [path, entry] : wasFlat) {
        const auto name = path.substr(path.rfind(u'/') + 1);
        if (name.starts_with(u"__SRP_")) {
            EXPECT_FALSE(isFlat.contains(path));
        } else if (std::find(rewritten.begin(), rewritten.end(), name) == rewritten.end() ||
                   !path.ends_with(u"VBA/" + name)) {
            EXPECT_TRUE(isFlat.contains(path) && isFlat.at(path) == entry) << "changed";
        }
    }
    for (const auto& [path, entry] : isFlat) {
        EXPECT_TRUE(wasFlat.contains(path)) << "added";
    }
}

TEST(WriteDocumentProject, EveryDocumentIsWrittenAndReadBackOrRefusedWhenSignedOrLocked) {
    const auto documents =
        test::FilesEndingIn({".xlsm", ".xlam", ".xls", ".docm", ".dotm", ".doc", ".dot", ".pptm"},
                            test::SourceDir() / "corpus" / "office");
    std::size_t written = 0;
    for (const auto& document : documents) {
        SCOPED_TRACE(document.string());
        const std::string bytes = test::ReadBytes(document);
        DocumentProject project;
        try {
            project = ReadDocumentProject(bytes, "document");
        } catch (const OfficeFileError&) {
            continue;  // the corpus suite tells which documents do not read, and why
        }
        if (project.modules.empty()) {
            continue;
        }
        const auto changes = Commented(project);
        if (project.isSigned || project.lockedForViewing) {
            try {
                WriteDocumentProject(bytes, "document", changes);
                ADD_FAILURE() << "written";
            } catch (const OfficeFileError& e) {
                EXPECT_NE(e.Detail().find(project.isSigned ? "signed" : "locked"),
                          std::string::npos)
                    << e.Message();
            }
            continue;
        }
        const std::string changed = WriteDocumentProject(bytes, "document", changes);
        ExpectSources(changed, changes);
        ExpectWrittenAsWritersMust(bytes, changed);
        std::vector<ModuleChange> originals;
        for (std::size_t i = 0; i < project.modules.size(); ++i) {
            originals.push_back({i, project.modules[i].source});
        }
        // Back to the originals, the first module alone and then the others.
        const std::string first = WriteDocumentProject(changed, "document", {originals.front()});
        ExpectSources(WriteDocumentProject(first, "document", originals), originals);
        EXPECT_EQ(WriteDocumentProject(changed, "document", changes), changed) << "no change";
        ++written;
    }
    EXPECT_GE(written, 50u);
}

}  // namespace
}  // namespace brindle::host
