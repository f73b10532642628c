#include "cli/Terminal.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

#if __has_include(<sys/ioctl.h>) && __has_include(<unistd.h>)
#include <sys/ioctl.h>
#include <unistd.h>
#define BRINDLE_POSIX_TERMINAL 1
#endif

namespace brindle::cli {
namespace {

constexpr int kDefaultWidth = 80;

int ColumnsVariable() {
    const char* value = std::getenv("COLUMNS");
    if (value == nullptr) {
        return 0;
    }
    const std::string_view text(value);
    int columns = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), columns);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() ? columns : 0;
}

}  // namespace

#ifdef BRINDLE_POSIX_TERMINAL

bool CanAsk() {
    return isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1;
}

int HelpWidth() {
    if (const int columns = ColumnsVariable(); columns > 0) {
        return columns;
    }
    winsize size{};
    if (isatty(STDOUT_FILENO) == 1 && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 &&
        size.ws_col > 0) {
        return size.ws_col;
    }
    return kDefaultWidth;
}

#else

bool CanAsk() {
    return false;
}

int HelpWidth() {
    const int columns = ColumnsVariable();
    return columns > 0 ? columns : kDefaultWidth;
}

#endif

}  // namespace brindle::cli
