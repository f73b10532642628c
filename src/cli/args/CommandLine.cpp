#include "cli/args/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <regex>
#include <sstream>

#include "addin/Commands.h"
#include "cli/args/Completion.h"
#include "cli/args/HelpFormat.h"
#include "host/files/DocumentFile.h"
#include "host/files/FileSystem.h"
#include "host/vb6/CodePage.h"
#include "util/DateFormat.h"
#include "util/Text.h"

#ifndef BRINDLE_VERSION
#define BRINDLE_VERSION "0"
#endif

namespace brindle::cli {
namespace {

struct CommandInfo {
    Command command;
    std::string_view name;  // the add-in's commands: as the table of commands names them
    const char* description;
    const char* example;
};

constexpr std::array<CommandInfo, 13> kCommands = {{
    {Command::AddModuleHeader, CommandOf(CommandId::AddModuleHeader).name,
     "Adds the module header to each module: at the top, or below an Option Explicit first line.",
     "brindle add-module-header modMain.bas CStockItem.cls"},
    {Command::AddHeaders, CommandOf(CommandId::AddHeaders).name,
     "Adds a procedure header above each procedure of each module (of the one module, only "
     "those that --select or --proc names).",
     "brindle add-headers *.bas\nbrindle add-headers modMain.bas --proc LevelOf"},
    {Command::AddErrorHandlers, CommandOf(CommandId::AddErrorHandlers).name,
     "Adds an error handler to each Sub, Function and Property of each module (of the one "
     "module, only those that --select or --proc names).",
     "brindle add-error-handlers *.bas *.cls\n"
     "brindle add-error-handlers frmMain.frm --select 40-62 --lines file"},
    {Command::RemoveMarkers, CommandOf(CommandId::RemoveMarkers).name,
     "Deletes the marker lines of each whole marked block in each module (of the one module, "
     "within --select or --proc); the code between them stays, and Brindle can no longer remove "
     "it.",
     "brindle remove-markers modMain.bas --select 1-40 --yes"},
    {Command::RemoveCode, CommandOf(CommandId::RemoveCode).name,
     "Deletes each whole marked block in each module (of the one module, within --select or "
     "--proc), its marker lines with it. Broken markers are left as they are and reported.",
     "brindle remove-code *.bas --yes\nbrindle remove-code CStockItem.cls --proc Quantity"},
    {Command::AddAll, CommandOf(CommandId::AddAll).name,
     "Adds a module header to every module, and a procedure header and an error handler to "
     "every procedure, in each project.",
     "brindle add-all Inventory.vbp --yes"},
    {Command::RemoveMarkersAll, CommandOf(CommandId::RemoveMarkersAll).name,
     "Deletes the marker lines of every whole marked block in each project; the code between "
     "them stays.",
     "brindle remove-markers-all Inventory.vbp --yes"},
    {Command::RemoveCodeAll, CommandOf(CommandId::RemoveCodeAll).name,
     "Deletes every whole marked block in each project. Broken markers are left as they are "
     "and reported.",
     "brindle remove-code-all Inventory.vbp --diff\n"
     "brindle remove-code-all Inventory.vbp --ignore-exclusions --yes"},
    {Command::Procedures, "procedures",
     "Lists the procedures of each module as Brindle sees them: name, kind (Sub, Function, Get, "
     "Let, Set), start line, body line, line count, End line and member type in the code's "
     "lines, which --select takes, then the start, body and End lines in the file.",
     "brindle procedures modMain.bas\nbrindle procedures *.bas --json"},
    {Command::Options, CommandOf(CommandId::Options).name,
     "Prints the options and where they are kept, or changes those given as the options "
     "dialog's OK does.",
     "brindle options --author \"Ada Byron\" --markers on"},
    {Command::Check, "check",
     "Reports what Brindle would add or mend (each module without a marked module header, each "
     "procedure without a marked header or error handler, broken generated code, generated "
     "code that no longer compiles, skip comments that apply to nothing, unknown template "
     "keywords) as path:line: message, JSON, GitHub annotations or SARIF; exits with 1 when it "
     "found any the baseline does not hold, or checked no module. Writes nothing but the "
     "baseline, asks nothing.",
     "brindle check Inventory.vbp --require header,handler\n"
     "brindle check Inventory.vbp --format github\n"
     "brindle check Book.xlsm Letters/Report.docm\n"
     "brindle check Inventory.vbp --baseline brindle-baseline.json --update-baseline"},
    {Command::Refresh, "refresh",
     "Rewrites every marked block with what the templates and options give now, keeping what "
     "people wrote in it; adds nothing where there is no block.",
     "brindle refresh Inventory.vbp --diff"},
    {Command::Lsp, "lsp",
     "Serves an editor as a language server over standard input and output: check's findings "
     "as diagnostics of each open module, the add-in's commands as code actions, the project "
     "commands as the editor's commands (brindle.addAll, brindle.removeMarkersAll, "
     "brindle.removeCodeAll, brindle.refresh), the procedures and the marked blocks. The "
     "editor starts it.",
     "brindle lsp"},
}};

const CommandInfo& Info(Command command) {
    for (const auto& info : kCommands) {
        if (info.command == command) {
            return info;
        }
    }
    return kCommands.front();
}

std::string Footer(const CommandInfo& info) {
    const std::string examples = info.example;
    // "$ " marks an example for help2man, which sets it apart in the manual page.
    std::string footer =
        examples.find('\n') == std::string::npos ? "Example:\n  $ " : "Examples:\n  $ ";
    for (const char c : examples) {
        footer += c == '\n' ? std::string("\n  $ ") : std::string(1, c);
    }
    if (TakesProjects(info.command)) {
        footer +=
            "\n\nA group file (.vbg) runs the command on each of its projects in turn; several "
            "projects, groups, folders and modules may be named, each under its own team "
            "settings.";
    }
    if (info.command == Command::Lsp) {
        footer +=
            "\n\nThe initialization options that the editor may give the server:\n"
            "codePage: the code page of the modules, such as 1251, over the team's brindle.ini "
            "(Code Page under [Command Line]) and your own default (brindle options --codepage).\n"
            "require: which of \"module-header\", \"header\" and \"handler\" count as "
            "findings, as check --require does (default: all three).\n"
            "stale: true also reports the marked blocks that the templates and options in use "
            "would make otherwise, as check --stale does (default: false).";
    }
    if (info.command == Command::Options) {
        footer +=
            "\n\nThe options are kept in the file that BRINDLE_SETTINGS names, or else in your "
            "own settings file; a relative template path is looked for in the current folder, "
            "then among the installed templates.";
    }
    return footer;
}

// A command that asks before it changes code says so last.
std::string Description(const CommandInfo& info) {
    return std::string(info.description) + (Asks(info.command) ? " Asks first." : "");
}

const std::string kStdioHelp = "talk over standard input and output (the default)";

const char* const kSelectHelp =
    "the lines LINE[:COL][-LINE[:COL]] to work on (in the code's lines, as 'brindle procedures' "
    "numbers them first, or in the file's with --lines file); a line without a column is taken "
    "whole, and a column counts characters, a double-byte one as one";

const char* const kMainFooter =
    "Run 'brindle COMMAND --help' for a command's flags and examples, 'brindle --help-all' for "
    "those of every command, 'brindle help templates' for the keywords a template may hold, "
    "'brindle help rules' for "
    "what check reports.\n"
    "\n"
    "Exit status: 0 when every step worked or there was nothing to do; 1 when a step failed, "
    "something was found and left as it was, a question was not answered Yes (nothing was "
    "changed then) or --diff --exit-code would change something; 2 for a usage or input error "
    "(nothing was changed); 130 or 143 when Ctrl-C or "
    "SIGTERM interrupted it (each module is as it was or wholly written).";

// The argument parser's message in plain words of ours, lower-case.
std::string InOurWords(const std::string& message) {
    struct Rewording {
        std::regex pattern;
        const char* replacement;
    };
    static const std::array<Rewording, 10> kRewordings = {{
        {std::regex("^A subcommand is required$"), "a command is required"},
        {std::regex("^(\\S+) is required$"), "$1 is missing"},
        {std::regex("^The following arguments? (was|were) not expected: (.*)$"),
         "unexpected argument: $2"},
        {std::regex("^(\\S+): At Most 1 required but received (\\d+)$"),
         "$1 is given $2 times; give it once"},
        {std::regex("^(\\S+): At Most (\\d+) required but received (\\d+)$"),
         "$1 takes at most $2 values; $3 were given"},
        {std::regex("^(\\S+): At least (\\d+) required but received (\\d+)$"),
         "$1 takes at least $2 values; $3 were given"},
        {std::regex("^(\\S+): \\d+ required (\\S+) missing$"), "$1 needs a value ($2)"},
        {std::regex("^(\\S+) requires (\\S+)$"), "$1 works only with $2"},
        {std::regex("^(\\S+) excludes (\\S+)$"), "$1 and $2 cannot be given together"},
        {std::regex("^Could not convert: (\\S+) = (.*)$"), "$1 cannot take \"$2\""},
    }};
    for (const auto& rewording : kRewordings) {
        if (std::regex_match(message, rewording.pattern)) {
            return std::regex_replace(message, rewording.pattern, rewording.replacement);
        }
    }
    std::string text = message;
    if (!text.empty() && (text.size() < 2 || LowerAscii(text[1]) == text[1])) {
        text[0] = LowerAscii(text[0]);  // not in "PROJECT"
    }
    return text;
}

class Parser {
public:
    Parser(int width, std::vector<HelpTopic> topics)
        : app_("Puts standard boilerplate into VB6 source and takes it out again.", "brindle"),
          width_(width),
          topics_(std::move(topics)) {
        app_.formatter(MakeHelpFormatter(width));
        app_.require_subcommand(1);
        app_.set_help_all_flag("--help-all", "Print the help of every command and exit");
        app_.set_version_flag("--version", std::string("brindle ") + BRINDLE_VERSION);
        app_.footer(kMainFooter);
        // Before the command too, so that a script can put them first.
        app_.add_flag("-q,--quiet", quietBefore_, "no progress messages or summary");
        AddCodePage(&app_);
        for (const auto& info : kCommands) {
            Add(info);
        }
        AddHelp();
    }

    std::variant<Request, Exit> Parse(int argc, const char* const* argv) {
        if (argc == 3 && std::string_view(argv[1]) == "--generate") {
            return Generate(argv[2]);
        }
        std::vector<const char*> words(argv, argv + argc);
        const int count = static_cast<int>(words.size());
        if (count > 1 && words[1][0] != '-' && !IsCommand(words[1])) {
            return Exit{
                2, "",
                "brindle: unknown command '" + std::string(words[1]) + "'\n" + Hint(nullptr)};
        }
        try {
            app_.parse(count, words.data());
        } catch (const CLI::Success& e) {
            std::ostringstream out;
            std::ostringstream err;
            app_.exit(e, out, err);
            return Exit{0, out.str(), err.str()};
        } catch (const CLI::ParseError& e) {
            const CLI::App* sub = ParsedCommand();
            return Exit{2, "",
                        "brindle: " + (sub == nullptr ? "" : sub->get_name() + ": ") +
                            InOurWords(e.what()) + "\n" + Hint(sub)};
        }
        if (help_->parsed()) {
            return Help();
        }
        return Finish();
    }

private:
    // A completion script, for the build to install.
    std::variant<Request, Exit> Generate(std::string_view what) const {
        if (auto script = CompletionScript(app_, what)) {
            return Exit{0, *script, ""};
        }
        return Exit{2, "",
                    "brindle: --generate takes complete-bash, complete-zsh or complete-fish\n"};
    }

    // The command being parsed when the parser stopped; null before one.
    const CLI::App* ParsedCommand() const {
        for (const auto& [command, sub] : subcommands_) {
            if (sub->parsed()) {
                return sub;
            }
        }
        return nullptr;
    }

    static std::string Hint(const CLI::App* sub) {
        return sub == nullptr ? "Run 'brindle help' for the commands.\n"
                              : "Run 'brindle help " + sub->get_name() + "' for its flags.\n";
    }

    static bool IsCommand(std::string_view word) {
        return word == "help" ||
               std::any_of(kCommands.begin(), kCommands.end(),
                           [&](const CommandInfo& info) { return info.name == word; });
    }

    // `brindle help [TOPIC]`: the program's help, a command's, or a topic's.
    void AddHelp() {
        std::vector<std::string> names;
        std::string description = "Prints the help of the program, of a command, or of a topic:";
        for (const auto& topic : topics_) {
            names.push_back(topic.name);
            description += " " + topic.name + " (" + topic.summary + "),";
        }
        description.back() = '.';
        for (const auto& info : kCommands) {
            names.emplace_back(info.name);
        }
        help_ = app_.add_subcommand("help", description);
        help_->group("Commands");
        help_->footer("Example:\n  $ brindle help templates");
        help_->add_option("TOPIC", topic_, "a command, or a topic")
            ->type_name("TOPIC")
            ->check(CLI::IsMember(names));
    }

    Exit Help() const {
        for (const auto& topic : topics_) {
            if (topic.name == topic_) {
                return Exit{0, topic.text(width_), ""};
            }
        }
        for (const auto& [command, sub] : subcommands_) {
            if (sub->get_name() == topic_) {
                return Exit{0, sub->help("brindle"), ""};
            }
        }
        return Exit{
            0, app_.get_formatter()->make_help(&app_, "brindle", CLI::AppFormatMode::Normal), ""};
    }

    void Add(const CommandInfo& info) {
        CLI::App* sub = app_.add_subcommand(std::string(info.name), Description(info));
        sub->group("Commands");
        sub->set_help_all_flag();
        sub->footer(Footer(info));
        subcommands_.push_back({info.command, sub});
        switch (info.command) {
            case Command::AddModuleHeader:
                AddModules(sub);
                AddSkipExisting(sub);
                break;
            case Command::AddHeaders:
            case Command::AddErrorHandlers:
                AddModules(sub);
                AddSelection(sub);
                AddSkipExisting(sub);
                break;
            case Command::RemoveMarkers:
            case Command::RemoveCode:
                AddModules(sub);
                AddSelection(sub);
                AddIgnoreExclusions(sub,
                                    "skip comments, excluded procedure names and .brindleignore");
                break;
            case Command::RemoveMarkersAll:
            case Command::RemoveCodeAll:
                AddIgnoreExclusions(sub,
                                    "skip comments, excluded procedure names and .brindleignore");
                [[fallthrough]];
            case Command::AddAll:
                if (info.command == Command::AddAll) {
                    AddSkipExisting(sub);
                }
                AddFiles(sub);
                break;
            case Command::Procedures:
                AddModules(sub);
                AddFormat(sub);
                AddCodePage(sub);
                AddYes(sub, info.command);
                return;
            case Command::Options:
                AddOptionFlags(sub);
                AddYes(sub, info.command);
                return;
            case Command::Check:
                AddFiles(sub);
                AddCheckFlags(sub);
                return;
            case Command::Lsp:
                AddYes(sub, info.command);
                // Standard input and output are its only transport; clients may name it.
                sub->add_flag("--stdio", kStdioHelp);
                return;
            case Command::Refresh:
                AddFiles(sub);
                sub->add_flag("--overwrite", request_.overwrite,
                              "where a template's own text changed, replace the lines of a block "
                              "that it has no place for instead of leaving the block (what people "
                              "wrote there is lost; elsewhere it is kept)");
                break;
        }
        AddCommonFlags(sub, info.command);
    }

    void AddModules(CLI::App* sub) {
        sub->add_option("MODULE", request_.files, "module files (.bas .cls .frm .ctl ...)")
            ->required();
    }

    // Of one module.
    void AddSelection(CLI::App* sub) {
        auto* select = sub->add_option("--select", select_, kSelectHelp);
        select->type_name("SEL");
        sub->add_option("--lines", lines_,
                        "what --select numbers: the code's lines (code, the default) or the "
                        "file's, as editors, grep -n and compilers number them (file)")
            ->type_name("code|file")
            ->check(OneOf("code", "file"))
            ->needs(select);
        sub->add_option("--proc", proc_,
                        "the lines of the named procedure (each of a property's Get, Let and "
                        "Set)")
            ->type_name("NAME")
            ->excludes(select);
    }

    void AddFormat(CLI::App* sub) {
        auto* format = sub->add_option("--format", format_, "text or json")
                           ->type_name("text|json")
                           ->check(OneOf("text", "json"));
        sub->add_flag("--json", json_, "the same as --format json")->excludes(format);
    }

    // Several projects and groups, modules beside them, or the modules that a list names.
    void AddFiles(CLI::App* sub) {
        sub->add_option("FILE", request_.files,
                        "project (.vbp) and group (.vbg) files, module files, Office documents "
                        "with VBA (.xlsm .xls .docm .doc ...; a module in one: Book.xlsm/Module1), "
                        "and folders (each standing for the projects, groups and documents "
                        "below it)");
        auto* list = sub->add_option("--files-from", filesFrom_,
                                     "work only on the modules that this file lists, one path a "
                                     "line, relative to the current folder ('-': standard "
                                     "input), as git quotes them or not; those that no project "
                                     "given holds are told of, and without a project they are "
                                     "the modules to work on; paths that no longer exist are "
                                     "passed over")
                         ->type_name("FILE");
        sub->add_flag("-z,--null", request_.nullSeparated,
                      "the --files-from list ends each path with a NUL byte instead (git diff "
                      "-z, find -print0)")
            ->needs(list);
        sub->add_flag("--only-named", request_.onlyNamed,
                      "work only on the modules named beside the projects and groups given that "
                      "they hold, as --files-from does, rather than on every module of them");
    }

    void AddNoIgnore(CLI::App* sub) {
        sub->add_flag("--no-ignore", request_.noIgnore,
                      "read no .brindleignore: work on the modules it leaves out too");
    }

    void AddSkipExisting(CLI::App* sub) {
        sub->add_flag("--skip-existing", request_.skipExisting,
                      "leave out a header or error handler where one stands already (a marked "
                      "one, or an On Error statement of the procedure's own)");
    }

    void AddIgnoreExclusions(CLI::App* sub, const std::string& exclusions) {
        sub->add_flag("--ignore-exclusions", request_.ignoreExclusions,
                      "take out what " + exclusions + " keep Brindle from as well, in this run");
    }

    void AddCheckFlags(CLI::App* sub) {
        sub->add_option("--require", require_,
                        "which of these count as findings: module-header, header, handler "
                        "(default: all three)")
            ->type_name("module-header,header,handler")
            ->check(CLI::Validator(
                [](const std::string& value) {
                    return RequiredRules(value) ? std::string()
                                                : std::string(
                                                      "must list module-header, header or "
                                                      "handler, separated by commas");
                },
                ""));
        sub->add_flag("--stale", request_.stale,
                      "also report marked blocks that the templates and options in use would "
                      "make otherwise (their dates and what people wrote in them apart)");
        AddReportFlags(sub);
        sub->add_flag("-q,--quiet", request_.quiet, "no summary on standard error");
        AddNoIgnore(sub);
        AddCodePage(sub);
        AddYes(sub, Command::Check);
    }

    // check's report and baseline.
    void AddReportFlags(CLI::App* sub) {
        auto* format =
            sub->add_option("--format", request_.format,
                            "text (path:line: message), json, github (workflow annotations of "
                            "GitHub Actions) or sarif (SARIF 2.1.0, for code scanning)")
                ->type_name("text|json|github|sarif")
                ->check(OneOf({"text", "json", "github", "sarif"}));
        sub->add_flag("--json", json_, "the same as --format json")->excludes(format);
        auto* baseline = sub->add_option("--baseline", baseline_,
                                         "report only the findings that this baseline file does "
                                         "not hold; it names each by module, procedure and rule, "
                                         "not by line, so moved lines stay known")
                             ->type_name("FILE");
        sub->add_flag("--update-baseline", request_.updateBaseline,
                      "write the findings of the modules this run checks into the --baseline "
                      "file, in place of what it held of them, and pass")
            ->needs(baseline);
    }

    struct Rules {
        bool moduleHeader = false;
        bool header = false;
        bool handler = false;
    };

    static std::optional<Rules> RequiredRules(const std::string& list) {
        Rules rules;
        std::istringstream in(list);
        for (std::string item; std::getline(in, item, ',');) {
            const std::string_view word = TrimSpaces(item);
            if (word == "module-header") {
                rules.moduleHeader = true;
            } else if (word == "header") {
                rules.header = true;
            } else if (word == "handler") {
                rules.handler = true;
            } else if (!word.empty()) {
                return std::nullopt;
            }
        }
        return rules;
    }

    // Every command takes it, so that a script may pass it to each.
    void AddYes(CLI::App* sub, Command command) {
        sub->add_flag("-y,--yes", request_.yes,
                      Asks(command) ? "answer Yes to the confirmation"
                                    : "accepted and ignored: this command asks nothing");
    }

    void AddCommonFlags(CLI::App* sub, Command command) {
        AddYes(sub, command);
        auto* diff =
            sub->add_flag("--diff", request_.diff,
                          "print a unified diff of every module that would change; write nothing");
        sub->add_flag("--exit-code", request_.exitCode,
                      "with --diff, exit with 1 when something would change")
            ->needs(diff);
        sub->add_flag("-q,--quiet", request_.quiet, "no progress messages");
        AddNoIgnore(sub);
        AddCodePage(sub);
    }

    void AddCodePage(CLI::App* app,
                     const char* help =
                         "Windows code page of the project and module files "
                         "(default: as 'brindle options' shows, else the system's ANSI code page, "
                         "1252 outside Windows); "
                         "text from the options and templates is written in it") {
        app->add_option("--codepage", codepage_, help)
            ->type_name("N")
            ->check(CLI::Validator(
                [](const std::string& value) {
                    return value.find_first_not_of("0123456789") == std::string::npos &&
                                   !value.empty() && value.size() < 6
                               ? std::string()
                               : std::string("must be a code page number, such as 1252");
                },
                ""));
    }

    void AddOptionFlags(CLI::App* sub) {
        sub->add_flag("--reset", request_.options.reset,
                      "restore the defaults (before any other change given)");
        sub->add_option("--author", author_, "the Author keyword's value")
            ->type_name("TEXT")
            ->check(CLI::Validator(
                [](const std::string& value) {
                    // A line break would put a bare code line into every module header.
                    const bool control = std::any_of(value.begin(), value.end(), [](char c) {
                        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
                    });
                    return control ? std::string(
                                         "must not hold a line break, tab or another "
                                         "control character")
                                   : std::string();
                },
                ""));
        sub->add_option("--markers", markers_, "wrap insertions in marker lines")
            ->type_name("on|off")
            ->check(OnOff());
        sub->add_option("--splash", splash_, "show the splash window at the IDE's start")
            ->type_name("on|off")
            ->check(OnOff());
        sub->add_option("--skip-existing", skipExisting_,
                        "skip procedures that already have one (a header, an error handler) "
                        "and modules that have a header")
            ->type_name("on|off")
            ->check(OnOff());
        sub->add_option("--date-format", dateFormat_,
                        "how the Date keyword writes today: 'Short Date' (your regional short "
                        "date format), ISO (yyyy-mm-dd) or a pattern of d, dd, m, mm, yy, yyyy "
                        "(dd.mm.yyyy, mm/dd/yy)")
            ->type_name("FORMAT")
            ->check(CLI::Validator(DateFormatProblem, ""));
        AddTemplate(sub, "--module-header-template", moduleHeader_);
        AddTemplate(sub, "--procedure-header-template", procedureHeader_);
        AddTemplate(sub, "--error-header-template", errorHeader_);
        AddTemplate(sub, "--error-footer-template", errorFooter_);
        AddCodePage(sub,
                    "the code page that the other commands take when they are given no "
                    "--codepage");
    }

    // "on" or "off" in any letter case; nothing for any other text.
    static std::optional<bool> OnOffValue(std::string_view text) {
        const std::string value = LowerAscii(text);
        if (value == "on" || value == "off") {
            return value == "on";
        }
        return std::nullopt;
    }

    static CLI::Validator OnOff() {
        return CLI::Validator(
            [](const std::string& value) {
                return OnOffValue(value) ? std::string() : std::string("must be on or off");
            },
            "");
    }

    static CLI::Validator OneOf(std::string first, std::string second) {
        return CLI::Validator(
            [first, second](const std::string& value) {
                return value == first || value == second ? std::string()
                                                         : "must be " + first + " or " + second;
            },
            "");
    }

    static CLI::Validator OneOf(std::vector<std::string> words) {
        std::string listed;
        for (std::size_t i = 0; i < words.size(); ++i) {
            listed += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
        }
        return CLI::Validator(
            [words, listed](const std::string& value) {
                return std::find(words.begin(), words.end(), value) != words.end()
                           ? std::string()
                           : "must be " + listed;
            },
            "");
    }

    static void AddTemplate(CLI::App* sub, const char* name, std::string& target) {
        sub->add_option(name, target, "template file")->type_name("PATH");
    }

    std::variant<Request, Exit> Finish() {
        for (const auto& [command, sub] : subcommands_) {
            if (sub->parsed()) {
                request_.command = command;
                Collect(*sub);
                if (request_.files.empty() && !request_.filesFrom &&
                    sub->get_option_no_throw("FILE")) {
                    return Exit{2, "",
                                "brindle: " + sub->get_name() +
                                    ": FILE is missing: name a project, group or module, or "
                                    "give --files-from\n" +
                                    Hint(sub)};
                }
                if (command == Command::Options && Given(app_, "--codepage") > 0) {
                    // Before the command it names the run's code page; the options command
                    // would keep it as the default, which only a --codepage after it asks.
                    return Exit{2, "",
                                "brindle: options: --codepage before the command names the "
                                "code page of a run; to keep a default, put it after 'options'\n" +
                                    Hint(sub)};
                }
            }
        }
        if ((request_.select || request_.proc) && request_.files.size() > 1) {
            return Exit{2, "",
                        "brindle: " + std::string(CommandName(request_.command)) + ": " +
                            (request_.select ? "--select" : "--proc") + " works on one module; " +
                            std::to_string(request_.files.size()) + " were given\n"};
        }
        return request_;
    }

    // How often the option was given; 0 when the command has no such option.
    static std::size_t Given(const CLI::App& sub, const char* name) {
        const CLI::Option* option = sub.get_option_no_throw(name);
        return option == nullptr ? 0 : option->count();
    }

    void Collect(CLI::App& sub) {
        if (Given(sub, "--files-from") > 0) {
            request_.filesFrom = filesFrom_;
        }
        request_.quiet = request_.quiet || quietBefore_;
        if (Given(sub, "--select") > 0) {
            request_.select = select_;
        }
        if (Given(sub, "--proc") > 0) {
            request_.proc = proc_;
        }
        if (Given(sub, "--codepage") > 0 || Given(app_, "--codepage") > 0) {
            request_.codepage = codepage_;
        }
        if (request_.command == Command::Options) {
            CollectOptions(sub);
        }
        if (Given(sub, "--require") > 0) {
            const auto rules = RequiredRules(require_).value_or(Rules{});
            request_.requireModuleHeader = rules.moduleHeader;
            request_.requireHeader = rules.header;
            request_.requireHandler = rules.handler;
        }
        if (Given(sub, "--baseline") > 0) {
            request_.baseline = baseline_;
        }
        if (json_) {
            request_.format = "json";
        }
        request_.json = json_ || format_ == "json" || request_.format == "json";
        request_.fileLines = lines_ == "file";
    }

    void CollectOptions(CLI::App& sub) {
        auto& changes = request_.options;
        if (Given(sub, "--author") > 0) {
            changes.author = author_;
        }
        if (Given(sub, "--markers") > 0) {
            changes.markers = OnOffValue(markers_);
        }
        if (Given(sub, "--splash") > 0) {
            changes.splash = OnOffValue(splash_);
        }
        if (Given(sub, "--skip-existing") > 0) {
            changes.skipExisting = OnOffValue(skipExisting_);
        }
        changes.codepage = request_.codepage;
        const auto take = [&sub](const char* name, const std::string& value,
                                 std::optional<std::string>& target) {
            if (Given(sub, name) > 0) {
                target = value;
            }
        };
        take("--date-format", dateFormat_, changes.dateFormat);
        take("--module-header-template", moduleHeader_, changes.moduleHeaderTemplate);
        take("--procedure-header-template", procedureHeader_, changes.procedureHeaderTemplate);
        take("--error-header-template", errorHeader_, changes.errorHeaderTemplate);
        take("--error-footer-template", errorFooter_, changes.errorFooterTemplate);
    }

    CLI::App app_;
    int width_;
    std::vector<HelpTopic> topics_;
    CLI::App* help_ = nullptr;
    std::string topic_;
    std::vector<std::pair<Command, CLI::App*>> subcommands_;
    Request request_;
    std::string filesFrom_;
    bool quietBefore_ = false;
    std::string select_;
    std::string proc_;
    int codepage_ = 0;
    std::string author_;
    std::string markers_;
    std::string splash_;
    std::string skipExisting_;
    std::string dateFormat_;
    std::string require_;
    std::string format_ = "text";
    std::string baseline_;
    bool json_ = false;
    std::string lines_ = "code";
    std::string moduleHeader_;
    std::string procedureHeader_;
    std::string errorHeader_;
    std::string errorFooter_;
};

}  // namespace

std::variant<Request, Exit> ParseCommandLine(int argc, const char* const* argv, int width,
                                             std::vector<HelpTopic> topics) {
    Parser parser(width, std::move(topics));
    return parser.Parse(argc, argv);
}

const char* CommandName(Command command) {
    return Info(command).name.data();
}

std::optional<CommandId> AddinCommand(Command command) {
    return CommandNamed(Info(command).name);
}

bool Asks(Command command) {
    const auto addin = AddinCommand(command);
    return addin ? CommandOf(*addin).Asks() : command == Command::Refresh;
}

bool IsProjectCommand(Command command) {
    const auto addin = AddinCommand(command);
    return addin && CommandOf(*addin).scope == Scope::Project;
}

bool Removes(Command command) {
    const auto addin = AddinCommand(command);
    return addin && CommandOf(*addin).removes;
}

bool TakesProjects(Command command) {
    return IsProjectCommand(command) || command == Command::Check || command == Command::Refresh;
}

bool OnProject(const Request& request) {
    if (!TakesProjects(request.command) || request.files.size() != 1) {
        return false;
    }
    const auto extension = host::TextOf(host::PathOf(request.files.front()).extension());
    return host::EqualsIgnoringCase(extension, ".vbp") ||
           host::EqualsIgnoringCase(extension, ".vbg") ||
           host::IsOfficeDocument(host::PathOf(request.files.front()));
}

}  // namespace brindle::cli
