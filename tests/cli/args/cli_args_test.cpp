// What the user types: the arguments' parser, its help and its messages, in the parser's own
// words turned into ours.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "cli/args/CommandLine.h"
#include "cli/cli_support.h"
#include "cli/commands/HelpTopics.h"
#include "cli/report/CheckRules.h"
#include "templates/Expansion.h"
#include "templates/Keywords.h"

namespace brindle::cli {
namespace {

std::variant<Request, Exit> Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "brindle");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

// Each command's help has an example and fits the width it is given, but for examples, which
// cannot be broken; --help-all holds every command's.
TEST(CommandLineParsing, EachCommandsHelpHasAnExampleAndFitsItsWidth) {
    const auto all = std::get<Exit>(Parse({"--help-all"})).out;
    for (int c = 0; c <= static_cast<int>(Command::Refresh); ++c) {
        const std::string command = CommandName(static_cast<Command>(c));
        const char* args[] = {"brindle", command.c_str(), "--help"};
        const auto help = std::get<Exit>(ParseCommandLine(3, args, 50));
        EXPECT_EQ(help.status, 0);
        const auto example = help.out.substr(0, help.out.find(":\n  $ brindle " + command));
        EXPECT_TRUE(example.ends_with("Example") || example.ends_with("Examples")) << help.out;
        std::istringstream lines(help.out);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_TRUE(line.size() <= 50 || line.starts_with("  $ ")) << line;
        }
        EXPECT_TRUE(test::Has(all, "\nbrindle " + command + ":\n"));
    }
}

// -q and --codepage may stand before the command, and every command takes --yes, so that a
// script may pass the same flags to each.
TEST(CommandLineParsing, ScriptsMayPassTheSameFlagsToEveryCommand) {
    for (const char* command : {"check", "procedures", "add-module-header", "refresh"}) {
        EXPECT_TRUE(std::holds_alternative<Request>(
            Parse({"-q", "--codepage", "1252", command, "m.bas", "--yes"})))
            << command;
    }
}

// A mistake is told in our words, with where to read more, and exits with 2.
TEST(CommandLineParsing, MistakesAreToldInOurWordsAndExitWithTwo) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"add-headers"}, "brindle: add-headers: MODULE is missing"},
        {{"options", "--markers", "maybe"}, "--markers"},
        {{"procedures", "m.bas", "--format", "xml"}, "--format"},
        {{"add-headers", "m.bas", "--lines", "file"}, "--lines"},
        {{"--generate", "complete-tcsh"}, "--generate takes complete-bash"},
        {{"add-everything", "p.vbp"}, "brindle: unknown command 'add-everything'"},
        {{}, "brindle: a command is required\nRun 'brindle help' for the commands.\n"},
        {{"check", "p.vbp", "--require", "header", "--require", "handler"},
         "brindle: check: --require is given 2 times; give it once\n"
         "Run 'brindle help check' for its flags.\n"},
        {{"check", "p.vbp", "--stale", "-x"}, "brindle: check: unexpected argument: -x\n"},
        {{"add-all", "-q"}, "brindle: add-all: FILE is missing"},
        {{"options", "--author"}, "brindle: options: --author needs a value (TEXT)\n"},
        {{"add-all", "p.vbp", "--exit-code", "--yes"},
         "brindle: add-all: --exit-code works only with --diff\n"},
        {{"--codepage", "1252", "options"}, "to keep a default, put it after 'options'"},
        {{"add-headers", "m.bas", "--proc", "Main", "--select", "1"},
         " cannot be given together\nRun 'brindle help add-headers' for its flags.\n"},
    };
    for (const auto& [args, message] : cases) {
        const auto parsed = Parse(args);
        ASSERT_TRUE(std::holds_alternative<Exit>(parsed)) << message;
        EXPECT_EQ(std::get<Exit>(parsed).status, 2) << message;
        EXPECT_TRUE(test::Has(std::get<Exit>(parsed).err, message));
    }
}

// `brindle help templates` and the manual page's section list every keyword the expansion
// knows, with what it gives and an example, `brindle help rules` every rule of check with what
// to do about it; `brindle help COMMAND` is that command's help.
TEST(CommandLineParsing, HelpTellsEveryTemplateKeyword) {
    const auto help = [](std::vector<const char*> args) {
        args.insert(args.begin(), "brindle");
        const auto parsed =
            ParseCommandLine(static_cast<int>(args.size()), args.data(), 60, HelpTopics());
        return std::get<Exit>(parsed);
    };
    const auto templates = help({"help", "templates"});
    EXPECT_EQ(templates.status, 0);
    const auto manual = ManualSections();
    for (const TemplateKeyword& keyword : kTemplateKeywords) {
        const std::string reference = ReferenceTo(keyword);
        EXPECT_TRUE(test::Has(templates.out, "\n" + reference + "\n  In a module header: "));
        EXPECT_TRUE(test::Has(manual, ".B " + reference + "\n"));
    }
    const auto rules = help({"help", "rules"});
    const auto flowingRules = test::Flow(rules.out);
    for (const CheckRule& rule : kCheckRules) {
        const std::string heading = std::string(rule.id) + " (" + std::string(rule.severity) + ")";
        EXPECT_TRUE(test::Has(rules.out, "\n" + heading + "\n"));
        EXPECT_TRUE(test::Has(flowingRules, std::string(rule.help)));
        EXPECT_TRUE(test::Has(manual, ".B " + std::string(rule.id) + "\n"));
    }
    const auto flowing = test::Flow(templates.out);
    EXPECT_TRUE(test::Has(flowing, "%%Date% gives a \"%\" and the date"));
    EXPECT_TRUE(test::Has(manual, "[EXIT STATUS]\n"));
    EXPECT_TRUE(test::Has(help({"help", "refresh"}).out, "Usage: brindle refresh"));
    const auto lsp = help({"help", "lsp"}).out;
    for (const char* option : {"\ncodePage: ", "\nrequire: ", "\nstale: "}) {
        EXPECT_TRUE(test::Has(lsp, option));
    }
    EXPECT_TRUE(test::Has(help({"help"}).out, "'brindle help templates'"));
    EXPECT_EQ(help({"help", "colours"}).status, 2);
}

}  // namespace
}  // namespace brindle::cli
