#include "host/files/LoadError.h"

#include <algorithm>
#include <iterator>

#include "host/files/FileSystem.h"
#include "host/vb6/CodePage.h"

namespace fs = std::filesystem;

namespace brindle::host {

std::string Label(const fs::path& path, int codePage) {
    const auto absolute = fs::absolute(path).lexically_normal();
    const auto current = fs::current_path();
    const auto relative = absolute.lexically_relative(current);
    // Empty on another drive; a path that climbs to the root shares no folder with the current
    // one, and reads better whole.
    const auto up = std::count(relative.begin(), relative.end(), fs::path(".."));
    const auto below = current.relative_path();
    const auto depth = std::distance(below.begin(), below.end());
    const bool whole = relative.empty() || (up > 0 && up >= depth);
    return ShownAsUtf8(TextOf(whole ? absolute : relative), codePage);
}

std::string DiffName(const fs::path& path) {
    const auto name = fs::absolute(path)
                          .lexically_normal()
                          .lexically_relative(fs::current_path())
                          .generic_u8string();
    return {name.begin(), name.end()};
}

}  // namespace brindle::host
