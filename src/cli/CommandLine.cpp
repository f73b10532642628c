#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <sstream>

#ifndef BRINDLE_VERSION
#define BRINDLE_VERSION "0"
#endif

namespace brindle::cli {
namespace {

struct CommandInfo {
    Command command;
    const char* name;
    const char* description;
    const char* example;
};

constexpr std::array<CommandInfo, 10> kCommands = {{
    {Command::AddModuleHeader, "add-module-header",
     "Adds the module header to each module: at the top, or below an Option Explicit first line.",
     "brindle add-module-header modMain.bas CStockItem.cls"},
    {Command::AddHeaders, "add-headers",
     "Adds a procedure header above each procedure that the selection touches (the whole module "
     "without --select or --proc).",
     "brindle add-headers modMain.bas --proc LevelOf"},
    {Command::AddErrorHandlers, "add-error-handlers",
     "Adds an error handler to each Sub, Function and Property that the selection touches (the "
     "whole module without --select or --proc).",
     "brindle add-error-handlers frmMain.frm --select 6-20"},
    {Command::RemoveMarkers, "remove-markers",
     "Deletes the marker lines of each whole marked block within the selection; the code "
     "between them stays, and Brindle can no longer remove it. Asks first.",
     "brindle remove-markers modMain.bas --select 1-40 --yes"},
    {Command::RemoveCode, "remove-code",
     "Deletes each whole marked block within the selection, its marker lines with it. Broken "
     "markers are left as they are and reported. Asks first.",
     "brindle remove-code modMain.bas --yes"},
    {Command::AddAll, "add-all",
     "Adds a module header to every module, and a procedure header and an error handler to "
     "every procedure, in each project. Asks first.",
     "brindle add-all Inventory.vbp --yes"},
    {Command::RemoveMarkersAll, "remove-markers-all",
     "Deletes the marker lines of every whole marked block in each project; the code between "
     "them stays. Asks first.",
     "brindle remove-markers-all Inventory.vbp --yes"},
    {Command::RemoveCodeAll, "remove-code-all",
     "Deletes every whole marked block in each project. Broken markers are left as they are "
     "and reported. Asks first.",
     "brindle remove-code-all Inventory.vbp --diff"},
    {Command::Procedures, "procedures",
     "Lists the module's procedures as Brindle sees them: name, kind, start line, body line, "
     "line count, End line and member type. Line numbers are those that --select uses.",
     "brindle procedures modMain.bas"},
    {Command::Options, "options",
     "Prints the options and where they are kept, or changes those given as the options "
     "dialog's OK does.",
     "brindle options --author \"Ada Byron\" --markers on"},
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
    std::string footer = std::string("Example:\n  ") + info.example;
    if (IsProjectCommand(info.command)) {
        footer += "\n\nA group file (.vbg) runs the command on each of its projects in turn.";
    }
    if (info.command == Command::Options) {
        footer +=
            "\n\nThe options are kept in the file that BRINDLE_SETTINGS names, or else in your "
            "own settings file; a relative template path is looked for in the current folder, "
            "then among the installed templates.";
    }
    return footer;
}

const char* const kSelectHelp =
    "LINE[:COL][-LINE[:COL]], in the lines that 'brindle procedures' numbers; a line without a "
    "column is taken whole";

class Parser {
public:
    Parser()
        : app_("Puts standard boilerplate into VB6 source and takes it out again.", "brindle") {
        app_.require_subcommand(1);
        app_.set_version_flag("--version", std::string("brindle ") + BRINDLE_VERSION);
        app_.footer("Run 'brindle COMMAND --help' for a command's flags and an example.");
        for (const auto& info : kCommands) {
            Add(info);
        }
    }

    std::variant<Request, Exit> Parse(int argc, const char* const* argv) {
        if (argc > 1 && argv[1][0] != '-' && !IsCommand(argv[1])) {
            return Exit{2, "",
                        "brindle: unknown command '" + std::string(argv[1]) +
                            "'\nRun 'brindle --help' for the commands.\n"};
        }
        try {
            app_.parse(argc, argv);
        } catch (const CLI::ParseError& e) {
            std::ostringstream out;
            std::ostringstream err;
            const int status = app_.exit(e, out, err);
            const std::string message = err.str();
            return Exit{status == 0 ? 0 : 2, out.str(),
                        message.empty() ? message : "brindle: " + message};
        }
        return Finish();
    }

private:
    static bool IsCommand(std::string_view word) {
        return std::any_of(kCommands.begin(), kCommands.end(),
                           [&](const CommandInfo& info) { return info.name == word; });
    }

    void Add(const CommandInfo& info) {
        CLI::App* sub = app_.add_subcommand(info.name, info.description);
        sub->footer(Footer(info));
        subcommands_.push_back({info.command, sub});
        switch (info.command) {
            case Command::AddModuleHeader:
                sub->add_option("module", request_.files, "module files (.bas .cls .frm ...)")
                    ->required();
                break;
            case Command::AddHeaders:
            case Command::AddErrorHandlers:
                AddModule(sub, SelectBy::LinesOrProc);
                break;
            case Command::RemoveMarkers:
            case Command::RemoveCode:
                AddModule(sub, SelectBy::Lines);
                break;
            case Command::AddAll:
            case Command::RemoveMarkersAll:
            case Command::RemoveCodeAll:
                sub->add_option("project", project_, "project (.vbp) or group (.vbg) file")
                    ->required();
                break;
            case Command::Procedures:
                sub->add_option("module", module_, "module file")->required();
                AddCodePage(sub);
                return;
            case Command::Options:
                AddOptionFlags(sub);
                return;
        }
        AddCommonFlags(sub, info.command);
    }

    enum class SelectBy { Lines, LinesOrProc };

    void AddModule(CLI::App* sub, SelectBy selectBy) {
        sub->add_option("module", module_, "module file (.bas .cls .frm .ctl ...)")->required();
        auto* select = sub->add_option("--select", select_, kSelectHelp);
        select->type_name("SEL");
        if (selectBy == SelectBy::LinesOrProc) {
            sub->add_option("--proc", proc_,
                            "the lines of the named procedure (each of a "
                            "property's Get, Let and Set)")
                ->type_name("NAME")
                ->excludes(select);
        }
    }

    void AddCommonFlags(CLI::App* sub, Command command) {
        if (Asks(command)) {
            sub->add_flag("-y,--yes", request_.yes, "answer Yes to the confirmation");
        }
        sub->add_flag("--diff", request_.diff,
                      "print a unified diff of every module that would change; write nothing");
        sub->add_flag("-q,--quiet", request_.quiet, "no progress messages");
        AddCodePage(sub);
    }

    void AddCodePage(CLI::App* sub, const char* help =
                                        "Windows code page of the project and module files "
                                        "(default: as 'brindle options' shows, else 1252); "
                                        "text from the options and templates is written in it") {
        sub->add_option("--codepage", codepage_, help)
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
        AddTemplate(sub, "--module-header-template", moduleHeader_);
        AddTemplate(sub, "--procedure-header-template", procedureHeader_);
        AddTemplate(sub, "--error-header-template", errorHeader_);
        AddTemplate(sub, "--error-footer-template", errorFooter_);
        AddCodePage(sub,
                    "the code page that the other commands take when they are given no "
                    "--codepage");
    }

    // "on" or "off" in any letter case; nothing for any other text.
    static std::optional<bool> OnOffValue(std::string value) {
        std::transform(value.begin(), value.end(), value.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
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

    static void AddTemplate(CLI::App* sub, const char* name, std::string& target) {
        sub->add_option(name, target, "template file")->type_name("PATH");
    }

    Request Finish() {
        for (const auto& [command, sub] : subcommands_) {
            if (sub->parsed()) {
                request_.command = command;
                Collect(*sub);
            }
        }
        return request_;
    }

    // How often the option was given; 0 when the command has no such option.
    static std::size_t Given(CLI::App& sub, const char* name) {
        const CLI::Option* option = sub.get_option_no_throw(name);
        return option == nullptr ? 0 : option->count();
    }

    void Collect(CLI::App& sub) {
        if (!module_.empty()) {
            request_.files.push_back(module_);
        }
        if (!project_.empty()) {
            request_.files.push_back(project_);
        }
        if (Given(sub, "--select") > 0) {
            request_.select = select_;
        }
        if (Given(sub, "--proc") > 0) {
            request_.proc = proc_;
        }
        if (Given(sub, "--codepage") > 0) {
            request_.codepage = codepage_;
        }
        if (request_.command == Command::Options) {
            CollectOptions(sub);
        }
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
        changes.codepage = request_.codepage;
        const auto take = [&sub](const char* name, const std::string& value,
                                 std::optional<std::string>& target) {
            if (Given(sub, name) > 0) {
                target = value;
            }
        };
        take("--module-header-template", moduleHeader_, changes.moduleHeaderTemplate);
        take("--procedure-header-template", procedureHeader_, changes.procedureHeaderTemplate);
        take("--error-header-template", errorHeader_, changes.errorHeaderTemplate);
        take("--error-footer-template", errorFooter_, changes.errorFooterTemplate);
    }

    CLI::App app_;
    std::vector<std::pair<Command, CLI::App*>> subcommands_;
    Request request_;
    std::string module_;
    std::string project_;
    std::string select_;
    std::string proc_;
    int codepage_ = 0;
    std::string author_;
    std::string markers_;
    std::string splash_;
    std::string moduleHeader_;
    std::string procedureHeader_;
    std::string errorHeader_;
    std::string errorFooter_;
};

}  // namespace

std::variant<Request, Exit> ParseCommandLine(int argc, const char* const* argv) {
    Parser parser;
    return parser.Parse(argc, argv);
}

const char* CommandName(Command command) {
    return Info(command).name;
}

bool Asks(Command command) {
    switch (command) {
        case Command::RemoveMarkers:
        case Command::RemoveCode:
        case Command::AddAll:
        case Command::RemoveMarkersAll:
        case Command::RemoveCodeAll:
            return true;
        default:
            return false;
    }
}

bool IsProjectCommand(Command command) {
    return command == Command::AddAll || command == Command::RemoveMarkersAll ||
           command == Command::RemoveCodeAll;
}

}  // namespace brindle::cli
