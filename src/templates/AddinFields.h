#pragma once
// The option and template fields of the add-in object, which the operations of the templates
// and codegen subsystems read.

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "model/SettingsKeys.h"
#include "util/DateFormat.h"

namespace brindle {

using Clock = std::function<std::chrono::system_clock::time_point()>;

// Why a template's text is not used: its file is no text, or it holds a marker line.
struct TemplateRefusal {
    std::string why;
    int line = 0;  // of the template the reason is at; 0 for the whole file
};

struct AddinFields {
    // Options, as stored in the settings (UTF-8).
    std::string msModHdrFname;
    std::string msProcHdrFname;
    std::string msErrHdrFname;
    std::string msErrFtrFname;
    std::string msAuthor;
    bool mbAddCodeMarkers = false;
    std::string msLastDir;
    bool mbDisableSplash = false;
    // Beyond the eight: leave out a header or error handler where one stands already.
    bool mbSkipExisting = false;
    // How the Date keyword writes today: "Short Date", "ISO" or a pattern (DateFormat.h).
    std::string msDateFormat = kDefaultDateFormat;
    // Procedure name patterns that no command touches ("*_Click, Class_Terminate"); read from
    // the settings, never written.
    std::string msExcludedProcs;
    // Set by a host for one run: the removals take out even what skip comments and excluded
    // procedure names keep them from. Never read from or written to the settings.
    bool mbIgnoreExclusions = false;

    // Template texts: each file's lines in UTF-8, each followed by LF.
    std::string msModHdrTmplt;
    std::string msProcHdrTmplt;
    std::string msErrHdrTmplt;
    std::string msErrFtrTmplt;
    // The templates refused (their text left empty), by their path as the options hold it.
    std::map<std::string, TemplateRefusal> templateRefusals;

    // Today, for the Date keyword; replaceable in tests.
    Clock clock = [] { return std::chrono::system_clock::now(); };
    // The user's regional short date, for Short Date; the host's, or mm/dd/yy without one.
    RegionalDate regionalDate;
    // The Date keyword's text, worked out at its first use. The add-in forgets it when a
    // command starts.
    mutable std::optional<std::string> todayText;
};

inline constexpr const char* kDefaultModHdrFname = ".\\Templates\\StandardVBModuleHeader.txt";
inline constexpr const char* kDefaultProcHdrFname = ".\\Templates\\StandardVBProcedureHeader.txt";
inline constexpr const char* kDefaultErrHdrFname = ".\\Templates\\StandardVBErrHeader.txt";
inline constexpr const char* kDefaultErrFtrFname = ".\\Templates\\StandardVBErrFooter.txt";

// One of the four templates: what the user reads it as, where the settings keep its file, the
// fields of its file and its text, and the file it has by default.
struct TemplateSlot {
    std::string_view title;  // "module header"
    std::string_view key;
    std::string AddinFields::*path;
    std::string AddinFields::*text;
    const char* defaultFile;
};

// The four templates, in the order every list of them keeps.
inline constexpr std::array<TemplateSlot, 4> kTemplateSlots = {{
    {"module header", settings::kModHdrKey, &AddinFields::msModHdrFname,
     &AddinFields::msModHdrTmplt, kDefaultModHdrFname},
    {"procedure header", settings::kProcHdrKey, &AddinFields::msProcHdrFname,
     &AddinFields::msProcHdrTmplt, kDefaultProcHdrFname},
    {"error header", settings::kErrHdrKey, &AddinFields::msErrHdrFname, &AddinFields::msErrHdrTmplt,
     kDefaultErrHdrFname},
    {"error footer", settings::kErrFtrKey, &AddinFields::msErrFtrFname, &AddinFields::msErrFtrTmplt,
     kDefaultErrFtrFname},
}};

}  // namespace brindle
