#include "addin/Commands.h"

namespace brindle {
namespace {

constexpr bool InOrderOfIds() {
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        if (static_cast<std::size_t>(kCommands[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(InOrderOfIds(), "CommandOf finds a command at the place of its id");

}  // namespace

std::optional<CommandId> CommandNamed(std::string_view name) {
    for (const CommandInfo& command : kCommands) {
        if (command.name == name) {
            return command.id;
        }
    }
    return std::nullopt;
}

std::optional<CommandId> CommandOnBar(std::string_view bar, std::string_view caption) {
    for (const CommandInfo& command : kCommands) {
        if (command.bar == bar && command.caption == caption) {
            return command.id;
        }
    }
    return std::nullopt;
}

}  // namespace brindle
