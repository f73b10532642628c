// The command line on the VBA projects inside Office documents: read and written in place, each
// module named after its document, and the documents it must not write left byte for byte.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "host/office/VbaDocument.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

const fs::path kOffice = SourceDir() / "corpus" / "office";

struct Documents {
    TempDir temp;
    fs::path folder = temp.path() / "work";

    Documents() { fs::create_directories(folder); }

    // A writable copy of a corpus document, under `name`.
    fs::path Copy(const fs::path& corpusPath, const std::string& name) {
        const auto to = folder / name;
        fs::copy_file(kOffice / corpusPath, to);
        fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
        return to;
    }

    BrindleRun Run(const std::string& line) {
        return RunBrindle(folder, temp.path() / "settings.ini", Words(line));
    }
};

std::vector<std::string> Sources(const fs::path& document) {
    std::vector<std::string> sources;
    for (const auto& module : host::ReadDocumentProject(ReadBytes(document), "").modules) {
        sources.push_back(module.source);
    }
    return sources;
}

// An Open XML workbook in Shift-JIS: add, find nothing missing, remove, and every module's source
// is as it was (office_libreoffice does the same to every document of the corpus).
TEST(OfficeDocuments, AddThenRemoveGivesBackEveryModulesSource) {
    Documents documents;
    const auto document = documents.Copy(
        "akiGAMEBOY__ExcelVBA_CreatePdfBookmark/bin/ExcelVBA_CreatePdfBookmark.xlsm", "Book.xlsm");
    const auto before = Sources(document);
    const auto found = documents.Run("check Book.xlsm");
    EXPECT_EQ(found.status, 1);
    EXPECT_NE(found.out.find("Book.xlsm/"), std::string::npos) << found.out;
    const auto added = documents.Run("add-all --yes Book.xlsm");
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_NE(Sources(document), before);
    EXPECT_EQ(documents.Run("check Book.xlsm").status, 0);
    EXPECT_EQ(documents.Run("remove-code-all --yes Book.xlsm").status, 0);
    EXPECT_EQ(Sources(document), before);
}

// A signed project, one locked for viewing, a document open in Office: told, and left as they
// are; the other documents of the folder are still done.
TEST(OfficeDocuments, TheyMustNotBeWrittenAreLeftByteForByte) {
    Documents documents;
    const std::vector<fs::path> refused = {
        documents.Copy("jmcnamara__XlsxWriter/xlsxwriter/test/comparison/xlsx_files/macro04.xlsm",
                       "Signed.xlsm"),
        documents.Copy("apache__poi/test-data/spreadsheet/31749.xls", "Locked.xls"),
        documents.Copy("apache__poi/test-data/document/SimpleMacro.docm", "Opened.docm")};
    WriteBytes(documents.folder / "~$Opened.docm", "owner");
    // Found in the folder, but holding no VBA project: passed over.
    WriteBytes(documents.folder / "Notes.doc", "{\\rtf1 saved by a word processor}");
    const auto done =
        documents.Copy("apache__poi/test-data/document/SimpleMacro.docm", "Done.docm");
    std::vector<std::string> bytes;
    for (const auto& document : refused) {
        bytes.push_back(ReadBytes(document));
    }
    const auto doneBefore = ReadBytes(done);
    const auto run = documents.Run("add-all --yes .");
    EXPECT_EQ(run.status, 1);
    for (const auto& needle : {"Signed.xlsm: its VBA project is signed",
                               "Locked.xls: its VBA "
                               "project is locked",
                               "Opened.docm: it is open in Office"}) {
        EXPECT_NE(run.err.find(needle), std::string::npos) << run.err;
    }
    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_TRUE(ReadBytes(refused[i]) == bytes[i]) << refused[i];
    }
    EXPECT_TRUE(ReadBytes(done) != doneBefore);
    // Shown, not written: a diff writes nothing.
    const auto diff = documents.Run("add-all --diff Signed.xlsm");
    EXPECT_NE(diff.out.find("+++ b/Signed.xlsm/"), std::string::npos) << diff.out << diff.err;
    EXPECT_TRUE(ReadBytes(refused[0]) == bytes[0]);
}

// An encrypted document and one whose module lost its source do not read: the command stops
// before anything changed and says where reading failed.
TEST(OfficeDocuments, ADocumentThatDoesNotReadStopsTheRun) {
    Documents documents;
    documents.Copy("decalage2__oletools/tests/test-data/encrypted/encrypted.docm", "Secret.docm");
    documents.Copy("apache__poi/test-data/document/60279.doc", "Stripped.doc");
    const auto encrypted = documents.Run("check Secret.docm");
    EXPECT_EQ(encrypted.status, 2);
    EXPECT_NE(encrypted.err.find("Secret.docm: the document is encrypted"), std::string::npos)
        << encrypted.err;
    const auto stripped = documents.Run("add-all --yes Stripped.doc");
    EXPECT_EQ(stripped.status, 2);
    EXPECT_NE(stripped.err.find("Stripped.doc: ThisDocument, byte "), std::string::npos)
        << stripped.err;
}

// A module is named after its document wherever a module file would be: on the command line,
// in --files-from, in .brindleignore.
TEST(OfficeDocuments, ModulesAreNamedAfterTheirDocument) {
    Documents documents;
    const auto document = documents.Copy("apache__poi/test-data/spreadsheet/30070.xls", "Book.xls");
    const auto listed = documents.Run("procedures Book.xls/Module1");
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out.find("Book.xls/"), std::string::npos) << "one module, no heading";
    WriteBytes(documents.folder / "list", "Book.xls/Module1\n");
    const auto limited = documents.Run("check --files-from list .");
    // Numbered as the VBA editor numbers the module's lines, its Attribute lines hidden.
    EXPECT_NE(limited.out.find("Book.xls/Module1:1: Function Commission has no error handler"),
              std::string::npos)
        << limited.out;
    EXPECT_EQ(limited.out.find("Book.xls/Sheet"), std::string::npos) << limited.out;
    WriteBytes(documents.folder / ".brindleignore", "Book.xls/Module1\n");
    const auto ignored = documents.Run("check Book.xls");
    EXPECT_EQ(ignored.out.find("Book.xls/Module1"), std::string::npos) << ignored.out;
    EXPECT_NE(ignored.err.find("left out"), std::string::npos) << ignored.err;
}

}  // namespace
}  // namespace brindle::test
