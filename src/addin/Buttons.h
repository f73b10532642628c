#pragma once
// The add-in's buttons as the host shows them: the command bars they go on and their captions.
// A host that clicks a button on a user's behalf finds it by these.

#include <string_view>

#include "model/IdeBars.h"

namespace brindle::buttons {

using brindle::kCodeWindowBar;
using brindle::kProjectWindowBar;
using brindle::kToolsBar;

inline constexpr std::string_view kAddModHdr = "Add Module Header";
inline constexpr std::string_view kAddHeaders = "Add Header(s) to Selected Procedures";
inline constexpr std::string_view kAddErrHandlers = "Add Error Handler(s) to Selected Procedures";
inline constexpr std::string_view kRemoveCodeMarkers = "Remove Brindle Markers from Selection";
inline constexpr std::string_view kRemoveAll = "Remove Code Added by Brindle from Selection";
inline constexpr std::string_view kOptions = "Brindle Options...";
inline constexpr std::string_view kCloseAllWins = "Close All Windows";
inline constexpr std::string_view kAddAllToProj =
    "Add Headers And Error Handlers to Entire Project";
inline constexpr std::string_view kRemoveCodeMarkersFromProj =
    "Remove All Code Markers from Entire Project";
inline constexpr std::string_view kRemoveAllFromProj =
    "Remove All Code Added by Brindle from Entire Project";

}  // namespace brindle::buttons
