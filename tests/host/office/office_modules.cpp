// Prints the VBA project of an Office document as Brindle reads it, as JSON on one line: the code
// page, the project's name, what forbids writing it, and each module's name, stream, kind and
// source in UTF-8. Other readers' views of the same document are compared with it
// (posix/libreoffice_test.py). Usage: office_modules DOCUMENT; exits 1, with the reason on
// stderr, for a document Brindle does not read.

#include <exception>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "host/office/OfficeError.h"
#include "host/office/VbaDocument.h"
#include "host/vb6/CodePage.h"
#include "support/TestPaths.h"

namespace {

// By VbaModuleKind.
constexpr const char* kKinds[] = {"standard", "class", "document", "form"};

nlohmann::json ProjectJson(const brindle::host::DocumentProject& project) {
    const int codePage = project.codePage;
    nlohmann::json modules = nlohmann::json::array();
    for (const auto& module : project.modules) {
        modules.push_back({{"name", brindle::host::ToUtf8(module.name, codePage)},
                           {"stream", brindle::host::ToUtf8(module.streamName, codePage)},
                           {"kind", kKinds[static_cast<std::size_t>(module.kind)]},
                           {"source", brindle::host::ToUtf8(module.source, codePage)}});
    }
    return {{"codePage", codePage},
            {"name", brindle::host::ToUtf8(project.name, codePage)},
            {"signed", project.isSigned},
            {"lockedForViewing", project.lockedForViewing},
            {"modules", modules}};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: office_modules DOCUMENT\n";
        return 2;
    }
    const std::filesystem::path document = brindle::test::PathOf(argv[1]);
    try {
        const auto project = brindle::host::ReadDocumentProject(
            brindle::test::ReadBytes(document), brindle::test::Generic(document.filename()));
        std::cout << ProjectJson(project).dump() << '\n';
        return 0;
    } catch (const brindle::host::OfficeFileError& e) {
        std::cerr << e.Message() << '\n';
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
    }
    return 1;
}
