#include "cli/report/QuestionAbout.h"

namespace brindle::cli {
namespace {

// The first few, and how many more.
std::string NamesListed(const std::vector<std::string>& names) {
    constexpr std::size_t kNamed = 5;
    std::string listed;
    for (std::size_t i = 0; i < names.size() && i < kNamed; ++i) {
        listed += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > kNamed) {
        listed += " and " + std::to_string(names.size() - kNamed) + " more";
    }
    return listed;
}

}  // namespace

std::string QuestionAbout(const Request& request, const std::vector<std::string>& modules,
                          const std::string& file) {
    const auto about = std::string(CommandName(request.command)) + " works on ";
    if (OnProject(request)) {
        return about + "every module of " + file;
    }
    if (modules.empty()) {
        return {};
    }
    if (request.proc) {
        return about + "the procedure " + *request.proc + " in " + modules.front();
    }
    if (request.select) {
        return about + (request.fileLines ? "file lines " : "lines ") + *request.select + " of " +
               modules.front();
    }
    if (modules.size() == 1) {
        return about + "the whole module " + modules.front();
    }
    return about + "the whole module of each of " + std::to_string(modules.size()) +
           " modules: " + NamesListed(modules);
}

std::string QuestionAboutFiles(const Request& request, const std::vector<std::string>& files) {
    return std::string(CommandName(request.command)) + " works on every module of each of " +
           std::to_string(files.size()) + " files: " + NamesListed(files);
}

}  // namespace brindle::cli
