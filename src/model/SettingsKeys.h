#pragma once
// Where the add-in keeps its options in the settings store, which hosts read too (a project's
// team settings hold some of the same keys).

#include <string_view>

#include "model/AddinName.h"

namespace brindle::settings {

inline constexpr std::string_view kApp = kAddinComponent;
inline constexpr std::string_view kOptions = "Options";
inline constexpr std::string_view kState = "State";

inline constexpr std::string_view kModHdrKey = "Module Header Filename";
inline constexpr std::string_view kProcHdrKey = "Procedure Header Template Filename";
inline constexpr std::string_view kErrHdrKey = "Error Header Template Filename";
inline constexpr std::string_view kErrFtrKey = "Error Footer Template Filename";
inline constexpr std::string_view kAuthorKey = "Author";
inline constexpr std::string_view kMarkersKey = "Add Code Markers";
inline constexpr std::string_view kLastDirKey = "Last Directory";
inline constexpr std::string_view kSplashKey = "Disable Splash";
inline constexpr std::string_view kSkipExistingKey = "Skip Existing";
// "Short Date", "ISO" or a pattern such as "dd.mm.yyyy", for the Date keyword.
inline constexpr std::string_view kDateFormatKey = "Date Format";
// Procedure name patterns, separated by commas: "*_Click, Class_Terminate".
inline constexpr std::string_view kExcludedProcsKey = "Excluded Procedures";

}  // namespace brindle::settings
