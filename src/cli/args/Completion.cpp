#include "cli/args/Completion.h"

#include <vector>

namespace brindle::cli {
namespace {

constexpr std::string_view kModuleFiles = "bas|cls|frm|ctl|pag|dob|dsr";
constexpr std::string_view kProjectFiles = "vbp|vbg";

struct Flag {
    std::vector<std::string> names;  // "-q", "--quiet"
    std::string help;
    bool takesValue = false;
    std::vector<std::string> choices;  // of a value, when it is one of a few words
    bool list = false;                 // the value is several of the choices, separated by commas
    bool path = false;                 // a value that names a file
};

struct CommandShape {
    std::string name;
    std::string help;
    std::vector<Flag> flags;
    std::string files;  // the extensions of the files it takes, "bas|cls"; empty: none
};

// Where the first clause of a help text ends: at a full stop, semicolon or colon followed by a
// blank, or at a blank before a parenthesis; a colon or bracket within a word (LINE[:COL])
// belongs to it.
std::size_t ClauseEnd(const std::string& help) {
    for (std::size_t i = 0; i + 1 < help.size(); ++i) {
        const bool stop =
            (help[i] == '.' || help[i] == ';' || help[i] == ':') && help[i + 1] == ' ';
        if (stop || (help[i] == ' ' && help[i + 1] == '(')) {
            return i;
        }
    }
    return help.ends_with('.') ? help.size() - 1 : help.size();
}

// One short line for a menu: the first clause, and no more than fits beside a name.
std::string Summary(const std::string& help) {
    constexpr std::size_t kLongest = 64;
    auto summary = help.substr(0, ClauseEnd(help));
    summary.erase(summary.find_last_not_of(' ') + 1);
    if (summary.size() > kLongest) {
        summary = summary.substr(0, summary.rfind(' ', kLongest - 3)) + "...";
    }
    return summary;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (auto end = text.find(separator); end != std::string::npos;
         end = text.find(separator, start)) {
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

Flag FlagOf(const CLI::Option& option) {
    Flag flag;
    for (const auto& name : option.get_snames()) {
        flag.names.push_back("-" + name);
    }
    for (const auto& name : option.get_lnames()) {
        flag.names.push_back("--" + name);
    }
    flag.help = Summary(option.get_description());
    flag.takesValue = option.get_expected_max() != 0;
    const auto type = option.get_type_name();
    if (type.find('|') != std::string::npos) {
        flag.choices = Split(type, '|');
    } else if (type.find(',') != std::string::npos) {
        flag.choices = Split(type, ',');
        flag.list = true;
    }
    flag.path = type == "PATH" || type == "FILE";
    return flag;
}

std::string FilesOf(const std::string& positional) {
    if (positional == "MODULE") {
        return std::string(kModuleFiles);
    }
    if (positional == "PROJECT") {
        return std::string(kProjectFiles);
    }
    if (positional == "FILE") {
        return std::string(kProjectFiles) + "|" + std::string(kModuleFiles);
    }
    return {};
}

CommandShape ShapeOf(const CLI::App& app) {
    CommandShape shape{app.get_name(), Summary(app.get_description()), {}, {}};
    for (const CLI::Option* option : app.get_options()) {
        if (option->nonpositional()) {
            shape.flags.push_back(FlagOf(*option));
        } else {
            shape.files = FilesOf(option->get_name());
        }
    }
    return shape;
}

// "'text'", with each quote in it closed, escaped and opened again.
std::string Quoted(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string Joined(const std::vector<std::string>& words, std::string_view separator = " ") {
    std::string text;
    for (const auto& word : words) {
        text += (text.empty() ? "" : std::string(separator)) + word;
    }
    return text;
}

std::vector<std::string> NamesOf(const std::vector<Flag>& flags) {
    std::vector<std::string> names;
    for (const auto& flag : flags) {
        names.insert(names.end(), flag.names.begin(), flag.names.end());
    }
    return names;
}

std::string Bash(const CommandShape& main, const std::vector<CommandShape>& commands) {
    std::string script =
        "# bash completion for brindle; made by brindle --generate complete-bash\n"
        "_brindle_files() {\n"
        "    local IFS=$'\\n' file\n"
        "    COMPREPLY=($(compgen -d -- \"$cur\"))\n"
        "    for file in $(compgen -f -- \"$cur\"); do\n"
        "        [[ -f $file && ${file,,} =~ \\.($1)$ ]] && COMPREPLY+=(\"$file\")\n"
        "    done\n"
        "}\n"
        "\n"
        "_brindle() {\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
        "    local command= i flags= files=\n"
        "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
        "        [[ ${COMP_WORDS[i]} != -* ]] && command=${COMP_WORDS[i]} && break\n"
        "    done\n"
        "    case $command in\n";
    std::vector<std::string> names;
    for (const auto& command : commands) {
        names.push_back(command.name);
        script += "        " + command.name + ")\n";
        std::string values;
        std::vector<std::string> free;
        for (const auto& flag : command.flags) {
            if (flag.list) {
                // After the last comma, with what stands before it kept.
                values += "                " + Joined(flag.names, "|") +
                          ") COMPREPLY=($(compgen -P \"${cur%${cur##*,}}\" -W " +
                          Quoted(Joined(flag.choices)) +
                          " -- \"${cur##*,}\")); compopt -o nospace; return ;;\n";
            } else if (!flag.choices.empty()) {
                values += "                " + Joined(flag.names, "|") +
                          ") COMPREPLY=($(compgen -W " + Quoted(Joined(flag.choices)) +
                          " -- \"$cur\")); return ;;\n";
            } else if (flag.path) {
                values += "                " + Joined(flag.names, "|") +
                          ") COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n";
            } else if (flag.takesValue) {
                free.insert(free.end(), flag.names.begin(), flag.names.end());
            }
        }
        if (!free.empty()) {
            values += "                " + Joined(free, "|") + ") return ;;\n";
        }
        if (!values.empty()) {
            script += "            case $prev in\n" + values + "            esac\n";
        }
        script += "            flags=" + Quoted(Joined(NamesOf(command.flags))) +
                  " files=" + Quoted(command.files) + " ;;\n";
    }
    script += "        *)\n            flags=" + Quoted(Joined(NamesOf(main.flags))) +
              "\n            [[ $cur == -* ]] || flags=" + Quoted(Joined(names)) +
              " ;;\n"
              "    esac\n"
              "    if [[ $cur == -* || -z $files ]]; then\n"
              "        COMPREPLY=($(compgen -W \"$flags\" -- \"$cur\"))\n"
              "    else\n"
              "        _brindle_files \"$files\"\n"
              "    fi\n"
              "}\n"
              "complete -o filenames -F _brindle brindle\n";
    return script;
}

// Text for zsh's _arguments and _describe, which give brackets and colons a meaning.
std::string ZshText(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '[' || c == ']' || c == ':' || c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

std::string ZshFlags(const std::vector<Flag>& flags, std::string_view indent) {
    std::string arguments;
    for (const auto& flag : flags) {
        for (const auto& name : flag.names) {
            std::string argument = name;
            if (flag.takesValue) {
                argument += name.starts_with("--") ? "=" : "+";
            }
            argument += "[" + ZshText(flag.help) + "]";
            if (flag.list) {
                argument += ":value:_sequence compadd - " + Joined(flag.choices);
            } else if (!flag.choices.empty()) {
                argument += ":value:(" + Joined(flag.choices) + ")";
            } else if (flag.path) {
                argument += ":file:_files";
            } else if (flag.takesValue) {
                argument += ":value: ";
            }
            arguments += std::string(indent) + Quoted(argument) + " \\\n";
        }
    }
    return arguments;
}

std::string Zsh(const CommandShape& main, const std::vector<CommandShape>& commands) {
    std::string script =
        "#compdef brindle\n"
        "# zsh completion for brindle; made by brindle --generate complete-zsh\n"
        "\n"
        "_brindle() {\n"
        "    local curcontext=$curcontext state line\n"
        "    local -a commands=(\n";
    for (const auto& command : commands) {
        script += "        " + Quoted(command.name + ":" + ZshText(command.help)) + "\n";
    }
    script += "    )\n    _arguments -C \\\n" + ZshFlags(main.flags, "        ") +
              "        '1:command:->command' \\\n"
              "        '*::argument:->argument'\n"
              "    case $state in\n"
              "    command) _describe -t commands command commands ;;\n"
              "    argument)\n"
              "        case $words[1] in\n";
    for (const auto& command : commands) {
        script += "        " + command.name + ")\n            _arguments \\\n" +
                  ZshFlags(command.flags, "                ");
        script += command.files.empty()
                      ? "                ;;\n"
                      : "                " +
                            Quoted("*:file:_files -g \"*.(#i)(" + command.files + ")(-.)\"") +
                            " ;;\n";
    }
    script +=
        "        esac ;;\n"
        "    esac\n"
        "}\n"
        "\n"
        "_brindle \"$@\"\n";
    return script;
}

std::string FishFlags(const std::vector<Flag>& flags, const std::string& condition) {
    std::string lines;
    for (const auto& flag : flags) {
        std::string line = "complete -c brindle -n " + Quoted(condition);
        for (const auto& name : flag.names) {
            line += name.starts_with("--") ? " -l " + name.substr(2) : " -s " + name.substr(1);
        }
        if (flag.list) {
            line += " -x -a " + Quoted("(__brindle_list " + Joined(flag.choices) + ")");
        } else if (!flag.choices.empty()) {
            line += " -x -a " + Quoted(Joined(flag.choices));
        } else if (flag.path) {
            line += " -r -F";
        } else if (flag.takesValue) {
            line += " -x";
        }
        lines += line + " -d " + Quoted(flag.help) + "\n";
    }
    return lines;
}

std::string Fish(const CommandShape& main, const std::vector<CommandShape>& commands) {
    std::string script =
        "# fish completion for brindle; made by brindle --generate complete-fish\n"
        "function __brindle_files\n"
        "    for file in (commandline -ct)*\n"
        "        if test -d $file\n"
        "            echo $file/\n"
        "        else if string match -qir -- '\\.('$argv[1]')$' $file\n"
        "            echo $file\n"
        "        end\n"
        "    end\n"
        "end\n"
        "\n"
        "# Each value after the last comma of what is typed, what stands before it kept.\n"
        "function __brindle_list\n"
        "    set -l before (string replace -r '[^,]*$' '' -- (commandline -ct))\n"
        "    for value in $argv\n"
        "        echo $before$value\n"
        "    end\n"
        "end\n"
        "\n"
        "complete -c brindle -f\n";
    script += FishFlags(main.flags, "__fish_use_subcommand");
    for (const auto& command : commands) {
        script += "complete -c brindle -n __fish_use_subcommand -a " + command.name + " -d " +
                  Quoted(command.help) + "\n";
    }
    for (const auto& command : commands) {
        const auto condition = "__fish_seen_subcommand_from " + command.name;
        script += FishFlags(command.flags, condition);
        if (!command.files.empty()) {
            script += "complete -c brindle -n " + Quoted(condition) + " -a '(__brindle_files \"" +
                      command.files + "\")'\n";
        }
    }
    return script;
}

}  // namespace

std::optional<std::string> CompletionScript(const CLI::App& app, std::string_view kind) {
    const auto main = ShapeOf(app);
    std::vector<CommandShape> commands;
    for (const CLI::App* sub : app.get_subcommands({})) {
        commands.push_back(ShapeOf(*sub));
    }
    if (kind == "complete-bash") {
        return Bash(main, commands);
    }
    if (kind == "complete-zsh") {
        return Zsh(main, commands);
    }
    if (kind == "complete-fish") {
        return Fish(main, commands);
    }
    return std::nullopt;
}

}  // namespace brindle::cli
