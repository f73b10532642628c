#include "cli/report/QuestionAbout.h"

namespace brindle::cli {

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
    constexpr std::size_t kNamed = 5;
    std::string named;
    for (std::size_t i = 0; i < modules.size() && i < kNamed; ++i) {
        named += (i == 0 ? "" : ", ") + modules[i];
    }
    if (modules.size() > kNamed) {
        named += " and " + std::to_string(modules.size() - kNamed) + " more";
    }
    return about + "the whole module of each of " + std::to_string(modules.size()) +
           " modules: " + named;
}

}  // namespace brindle::cli
