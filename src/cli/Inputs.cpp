#include "cli/Inputs.h"

#include "host/vb6/CodePage.h"

namespace brindle::cli {

void CheckCodePage(int codePage) {
    if (!host::IsModuleCodePage(codePage)) {
        throw InputError("code page " + std::to_string(codePage) + " is not one Brindle knows");
    }
}

Inputs LoadModules(const std::vector<std::string>& files, int codePage) {
    try {
        return host::LoadModules({files.begin(), files.end()}, codePage);
    } catch (const host::LoadError& e) {
        throw InputError(e.what());
    }
}

Inputs LoadProjects(const std::string& file, int codePage) {
    try {
        return host::LoadProjects(file, codePage);
    } catch (const host::LoadError& e) {
        throw InputError(e.what());
    }
}

}  // namespace brindle::cli
