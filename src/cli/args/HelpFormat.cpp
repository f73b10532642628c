#include "cli/args/HelpFormat.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "cli/args/Console.h"
#include "host/files/FileSystem.h"

namespace brindle::cli {
namespace {

constexpr int kDefaultWidth = 80;

int ColumnsVariable() {
    const auto value = host::EnvironmentValue("COLUMNS");
    if (!value) {
        return 0;
    }
    int columns = 0;
    const auto* end = value->data() + value->size();
    const auto result = std::from_chars(value->data(), end, columns);
    return result.ec == std::errc() && result.ptr == end ? columns : 0;
}

constexpr int kNarrowest = 40;
constexpr int kWidest = 100;
constexpr std::size_t kNameColumn = 30;
constexpr std::size_t kUsageIndent = 7;  // below what follows "Usage: "

// Greedy: as many words on each line as fit; a word longer than the line gets one of its own.
void WrapLine(std::string_view line, std::size_t width, const std::string& indent,
              std::string& out) {
    std::size_t used = 0;
    std::istringstream words{std::string(line)};
    for (std::string word; words >> word;) {
        if (used > 0 && used + 1 + word.size() > width) {
            out += "\n" + indent;
            used = 0;
        }
        if (used > 0) {
            out += ' ';
            ++used;
        }
        out += word;
        used += word.size();
    }
}

class HelpFormatter final : public CLI::Formatter {
public:
    explicit HelpFormatter(int width)
        : width_(static_cast<std::size_t>(std::clamp(width, kNarrowest, kWidest))) {
        column_width(std::min(kNameColumn, width_ / 3));
        label("SUBCOMMAND", "COMMAND");
        label("SUBCOMMANDS", "COMMANDS");
        label("Positionals", "Arguments");
    }

    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override {
        if (mode != CLI::AppFormatMode::All) {
            return CLI::Formatter::make_help(app, name, mode);
        }
        std::string help = CLI::Formatter::make_help(app, name, CLI::AppFormatMode::Normal);
        const HelpFormatter indented(static_cast<int>(width_) - 2);
        for (const CLI::App* sub : app->get_subcommands({})) {
            help += "\n" + indented.Expanded(sub, name + " " + sub->get_name());
        }
        return help;
    }

    std::string make_option(const CLI::Option* opt, bool is_positional) const override {
        if (is_positional) {
            return Row(make_option_usage(opt), make_option_desc(opt));
        }
        // The flags it needs or excludes go into the description, so that the name column
        // (and the manual page's tag) holds the flag and its value alone.
        std::string name = make_option_name(opt, false);
        if (opt->get_type_size() != 0 && !opt->get_type_name().empty()) {
            name += " " + get_label(opt->get_type_name());
        }
        if (opt->get_type_size() != 0 && !opt->get_default_str().empty()) {
            name += "=" + opt->get_default_str();
        }
        std::string description = make_option_desc(opt);
        for (const CLI::Option* other : opt->get_needs()) {
            description += "; needs " + other->get_name();
        }
        for (const CLI::Option* other : opt->get_excludes()) {
            description += "; not with " + other->get_name();
        }
        return Row(name, description);
    }

    std::string make_subcommand(const CLI::App* sub) const override {
        return Row(sub->get_name(), sub->get_description());
    }

    std::string make_description(const CLI::App* app) const override {
        const auto text = app->get_description();
        return text.empty() ? text : Wrap(text, width_) + "\n\n";
    }

    std::string make_usage(const CLI::App* app, std::string name) const override {
        const auto usage = CLI::Formatter::make_usage(app, std::move(name));
        return Wrap(usage.substr(0, usage.find_last_not_of('\n') + 1), width_, kUsageIndent) + "\n";
    }

    std::string make_footer(const CLI::App* app) const override {
        const auto text = app->get_footer();
        return text.empty() ? text : Wrap(text, width_) + "\n";
    }

    // A command's help under a heading of its own, indented below it, without its help flag.
    std::string Expanded(const CLI::App* sub, const std::string& command) const {
        std::string body = make_description(sub) + make_usage(sub, command) + "\n";
        for (const CLI::Option* option : sub->get_options()) {
            if (option != sub->get_help_ptr()) {
                body += make_option(option, option->get_positional());
            }
        }
        body += "\n" + make_footer(sub);
        std::string expanded = command + ":\n";
        std::istringstream lines(body);
        for (std::string line; std::getline(lines, line);) {
            expanded += line.empty() ? "\n" : "  " + line + "\n";
        }
        return expanded;
    }

private:
    // The name in the first column, the description beside it (below it when the name is as
    // wide as the column) and wrapped within the second.
    std::string Row(const std::string& name, const std::string& description) const {
        std::string row = "  " + name;
        if (description.empty()) {
            return row + "\n";
        }
        const auto column = get_column_width();
        if (row.size() >= column) {
            row += "\n";
            row.append(column, ' ');
        } else {
            row.append(column - row.size(), ' ');
        }
        return row + Wrap(description, width_ - column, column) + "\n";
    }

    std::size_t width_;
};

}  // namespace

int HelpWidth() {
    for (const int width : {ColumnsVariable(), TerminalWidth()}) {
        if (width > 0) {
            return width;
        }
    }
    return kDefaultWidth;
}

std::shared_ptr<CLI::Formatter> MakeHelpFormatter(int width) {
    return std::make_shared<HelpFormatter>(width);
}

std::string Wrap(std::string_view text, std::size_t width, std::size_t indent) {
    const std::string margin(indent, ' ');
    std::string out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = std::min(text.find('\n', start), text.size());
        const auto line = text.substr(start, end - start);
        if (start > 0) {
            out += "\n" + (line.empty() ? std::string() : margin);
        }
        if (line.starts_with(' ')) {
            out += line;
        } else {
            WrapLine(line, width, margin, out);
        }
        start = end + 1;
    }
    return out;
}

}  // namespace brindle::cli
