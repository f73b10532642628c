#include "cli/commands/HelpTopics.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <string_view>

#include "cli/args/HelpFormat.h"
#include "cli/report/CheckRules.h"
#include "templates/Keywords.h"

namespace brindle::cli {
namespace {

constexpr std::string_view kTemplatesIntro =
    "A template is a text file that Brindle copies into the code, each keyword reference "
    "replaced by its value: the module header, the procedure header, and the error handler's "
    "header and footer. The options name the four files ('brindle options'; a team's brindle.ini "
    "under [Options]).";

constexpr std::string_view kDateFormats =
    "The Date Format option ('brindle options --date-format', or Date Format= in a team's "
    "brindle.ini) says how %Date% writes today: Short Date (the default) gives your regional short "
    "date format (on Linux the locale's of LC_ALL, else LC_TIME, else LANG, mm/dd/yy in the C "
    "locale; on Windows that of the regional settings; 'brindle options' shows it), ISO gives "
    "yyyy-mm-dd, and a pattern of d, dd, m, mm, yy and "
    "yyyy with other characters that are no letters or digits between them gives that "
    "(dd.mm.yyyy; mm/dd/yy for the same date whoever writes it). Refresh keeps the date a block "
    "shows, in whichever format it was written.";

// The lines of a value that spans several, each indented as the first.
std::string Indented(std::string_view text, const std::string& indent) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string_view::npos; from = end + 1) {
        out += indent;
        out.append(text.substr(from, end - from)).push_back('\n');
    }
    return out + indent + std::string(text.substr(from)) + "\n";
}

std::string TemplatesHelp(int width) {
    const auto columns = static_cast<std::size_t>(std::clamp(width, 40, 100));  // as the help
    std::string out = "Template keywords\n\n" + Wrap(kTemplatesIntro, columns) + "\n\n";
    for (const TemplateKeyword& keyword : kTemplateKeywords) {
        out += ReferenceTo(keyword) + "\n";
        out +=
            "  " + Wrap("In a module header: " + std::string(keyword.inModule), columns, 4) + "\n";
        out +=
            "  " + Wrap("In a procedure: " + std::string(keyword.inProcedure), columns, 4) + "\n";
        out += "  Example:\n" + Indented(keyword.exampleLine, "    $ ");
        out += "  gives:\n" + Indented(keyword.exampleResult, "    ") + "\n";
    }
    out += Wrap(kLiteralPercent, columns) + "\n\n";
    out += Wrap(kDateFormats, columns) + "\n";
    return out;
}

constexpr std::string_view kRulesIntro =
    "What 'brindle check' reports, each finding under one of these rules (the JSON report's "
    "\"rule\", the SARIF log's rule id). A finding of severity error is code that no longer "
    "compiles or marker lines that Brindle cannot pair.";

std::string RulesHelp(int width) {
    const auto columns = static_cast<std::size_t>(std::clamp(width, 40, 100));
    std::string out = "Check rules\n\n" + Wrap(kRulesIntro, columns) + "\n\n";
    for (const CheckRule& rule : kCheckRules) {
        out += std::string(rule.id) + " (" + std::string(rule.severity) + ")\n";
        // The first line is indented by hand, so it is wrapped as narrow as the others.
        out += "  " + Wrap(rule.summary, columns - 2, 2) + "\n";
        out += "  " + Wrap(rule.help, columns - 2, 2) + "\n\n";
    }
    out.pop_back();
    return out;
}

// Text for roff: backslashes escaped, and a line that would begin with a control character
// made plain; `lineStart` when the text begins a line.
std::string Roff(std::string_view text, bool lineStart = true) {
    std::string out;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) {
            out += "\\&";
        }
        out += c == '\\' ? std::string("\\e") : std::string(1, c);
        lineStart = c == '\n';
    }
    return out;
}

std::string KeywordSection() {
    std::string out = "[TEMPLATE KEYWORDS]\n" + Roff(kTemplatesIntro) + "\n";
    for (const TemplateKeyword& keyword : kTemplateKeywords) {
        out += ".TP\n.B " + ReferenceTo(keyword) + "\n";
        out += "In a module header: " + Roff(keyword.inModule) + ".\n.br\n";
        out += "In a procedure: " + Roff(keyword.inProcedure) + ".\n.br\n";
        out += "Example:\n.nf\n" + Roff(Indented(keyword.exampleLine, "    ")) + ".fi\ngives:\n";
        out += ".nf\n" + Roff(Indented(keyword.exampleResult, "    ")) + ".fi\n";
    }
    return out + ".PP\n" + Roff(kLiteralPercent) + "\n.PP\n" + Roff(kDateFormats) + "\n";
}

std::string RulesSection() {
    std::string out = "[CHECK RULES]\n" + Roff(kRulesIntro) + "\n";
    for (const CheckRule& rule : kCheckRules) {
        out += ".TP\n.B " + std::string(rule.id) + "\n(" + std::string(rule.severity) + ") " +
               Roff(rule.summary, false) + "\n" + Roff(rule.help) + "\n";
    }
    return out;
}

struct Entry {
    std::string_view name;
    std::string_view text;
};

constexpr std::array<Entry, 6> kEnvironment = {{
    {"BRINDLE_SETTINGS",
     "The settings file to use instead of your own (on Windows, instead of the registry)."},
    {"XDG_CONFIG_HOME",
     "Where your own settings file is, when BRINDLE_SETTINGS is not set: "
     "$XDG_CONFIG_HOME/VBBrindle/VBBrindle.ini (an absolute path only; else HOME's .config)."},
    {"HOME", "Your home folder, for ~/.config/VBBrindle/VBBrindle.ini."},
    {"COLUMNS", "The width that help is wrapped to (at most 100 columns)."},
    {"USER, LOGNAME",
     "Your login name, for the default author when the system tells no full name for your "
     "account."},
    {"LC_ALL, LC_TIME, LANG",
     "The short date format of %Date% when the Date Format option is Short Date (the default); "
     "nothing else that brindle writes: the code page of the modules is the one the options or "
     "--codepage give."},
}};

constexpr std::array<Entry, 5> kFiles = {{
    {"~/.config/VBBrindle/VBBrindle.ini",
     "Your options (on Windows the registry key HKEY_CURRENT_USER\\Software\\VB and VBA Program "
     "Settings\\VBBrindle), unless BRINDLE_SETTINGS names another file."},
    {"brindle.ini",
     "A team's settings, beside the project or group file or in a folder above it: template "
     "paths, Add Code Markers, Skip Existing, Excluded Procedures and Date Format under "
     "[Options], Code Page under [Command Line]."},
    {".brindleignore",
     "Glob patterns of modules that the project commands, check and refresh leave out, one a "
     "line, beside the project file or in a folder above it."},
    {"Templates/StandardVBModuleHeader.txt, StandardVBProcedureHeader.txt, "
     "StandardVBErrHeader.txt, StandardVBErrFooter.txt",
     "The default templates: looked for in the current folder, then among the installed ones "
     "(share/brindle/Templates beside the program's folder)."},
    {".NAME.PID-RANDOM.brindle-tmp", "A module being written, renamed over it once complete."},
}};

constexpr std::array<Entry, 5> kExitStatus = {{
    {"0", "Every step worked, or there was nothing to do."},
    {"1",
     "A step failed, something was found and left as it was (check's findings), or a question "
     "was not answered Yes (nothing was changed then)."},
    {"2",
     "A usage or input error: an unknown command or flag, a missing file, a team file that "
     "cannot be taken, a refused template; nothing was changed."},
    {"130", "Ctrl-C interrupted it; each module is as it was or wholly written."},
    {"143", "SIGTERM interrupted it; each module is as it was or wholly written."},
}};

template <std::size_t N>
std::string Section(std::string_view title, const std::array<Entry, N>& entries) {
    std::string out = "[" + std::string(title) + "]\n";
    for (const Entry& entry : entries) {
        out += ".TP\n.B " + Roff(entry.name, false) + "\n" + Roff(entry.text) + "\n";
    }
    return out;
}

}  // namespace

std::vector<HelpTopic> HelpTopics() {
    return {{"templates", "the keywords a template may hold, and the date formats", TemplatesHelp},
            {"rules", "what check reports, and what to do about each", RulesHelp}};
}

std::string ManualSections() {
    return KeywordSection() + "\n" + RulesSection() + "\n" + Section("ENVIRONMENT", kEnvironment) +
           "\n" + Section("FILES", kFiles) + "\n" + Section("EXIT STATUS", kExitStatus);
}

}  // namespace brindle::cli
