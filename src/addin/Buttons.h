#pragma once
// The captions of the add-in's buttons by the names of its original design, read from the table
// of commands; for tests that find a button or a menu entry as a user does. Front ends run a
// command by its id (Commands.h) and never include this.

#include <string_view>

#include "addin/Commands.h"

namespace brindle::buttons {

using brindle::kCodeWindowBar;
using brindle::kProjectWindowBar;
using brindle::kToolsBar;

inline constexpr std::string_view kAddModHdr = CommandOf(CommandId::AddModuleHeader).caption;
inline constexpr std::string_view kAddHeaders = CommandOf(CommandId::AddHeaders).caption;
inline constexpr std::string_view kAddErrHandlers = CommandOf(CommandId::AddErrorHandlers).caption;
inline constexpr std::string_view kRemoveCodeMarkers = CommandOf(CommandId::RemoveMarkers).caption;
inline constexpr std::string_view kRemoveAll = CommandOf(CommandId::RemoveCode).caption;
inline constexpr std::string_view kOptions = CommandOf(CommandId::Options).caption;
inline constexpr std::string_view kCloseAllWins = CommandOf(CommandId::CloseAllWindows).caption;
inline constexpr std::string_view kAddAllToProj = CommandOf(CommandId::AddAll).caption;
inline constexpr std::string_view kRemoveCodeMarkersFromProj =
    CommandOf(CommandId::RemoveMarkersAll).caption;
inline constexpr std::string_view kRemoveAllFromProj = CommandOf(CommandId::RemoveCodeAll).caption;

}  // namespace brindle::buttons
