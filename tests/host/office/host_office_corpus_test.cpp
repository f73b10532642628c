// The Office documents of the corpus, each read down to its modules' source as real documents
// hold them, and those Brindle must not write told apart: signed, locked for viewing, encrypted.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "host/office/OfficeError.h"
#include "host/office/VbaDocument.h"
#include "host/vb6/CodePage.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

bool Among(const std::filesystem::path& document, const std::vector<std::string>& names) {
    const std::string path = document.generic_string();
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return path.ends_with(name); });
}

TEST(OfficeCorpus, EveryDocumentReadsDownToItsModulesAndTellsWhatForbidsWriting) {
    const std::vector<std::string> encrypted = {"encrypted/encrypted.docm",
                                                "autostart-encrypt-standardpassword.xls",
                                                "SeleniumVBA_with_pw_123.xlsm"};
    const std::vector<std::string> locked = {"xlwings.xlam", "31749.xls", "47034.xls"};
    const std::vector<std::string> signed_ = {
        "macro04.xlsm", "windows-integration/install/Zotero.dotm", "@618bf184/install/Zotero.dotm",
        "@e653dda1/install/Zotero.dotm"};
    // Its one module was stripped to its compiled code: the source area is zeros.
    const std::vector<std::string> stripped = {"60279.doc"};
    const auto documents =
        test::FilesEndingIn({".xlsm", ".xlam", ".xls", ".docm", ".dotm", ".doc", ".dot", ".pptm"},
                            test::SourceDir() / "corpus" / "office");
    std::size_t modules = 0;
    std::size_t signedCount = 0;
    std::set<int> codePages;
    std::set<VbaModuleKind> kinds;
    for (const auto& document : documents) {
        SCOPED_TRACE(document.string());
        std::string bytes = test::ReadBytes(document);
        if (Among(document, encrypted) || Among(document, stripped)) {
            try {
                ReadDocumentProject(std::move(bytes), document.filename().string());
                ADD_FAILURE() << "read";
            } catch (const OfficeFileError& e) {
                EXPECT_EQ(Among(document, encrypted),
                          e.Detail().find("encrypted") != std::string::npos)
                    << e.Message();
            }
            continue;
        }
        const DocumentProject project =
            ReadDocumentProject(std::move(bytes), document.filename().string());
        EXPECT_EQ(project.lockedForViewing, Among(document, locked));
        EXPECT_EQ(project.isSigned, Among(document, signed_));
        signedCount += project.isSigned ? 1 : 0;
        codePages.insert(project.codePage);
        ASSERT_TRUE(IsModuleCodePage(project.codePage)) << project.codePage;
        for (const auto& module : project.modules) {
            EXPECT_FALSE(module.source.empty()) << module.name;
            // Every byte of the source is a character of the project's code page.
            EXPECT_EQ(ToUtf8(module.source, project.codePage).find("\xEF\xBF\xBD"),
                      std::string::npos)
                << module.name << " in " << project.codePage;
            kinds.insert(module.kind);
        }
        modules += project.modules.size();
    }
    EXPECT_EQ(signedCount, 4u);
    EXPECT_GE(modules, 600u);
    EXPECT_GE(codePages.size(), 8u);
    EXPECT_EQ(kinds.size(), 4u) << "standard modules, classes, documents' modules and forms";
}

}  // namespace
}  // namespace brindle::host
