// What check reports, in each format, against the reports expected in expected/; the baseline of
// known findings; and the unified diffs of --diff.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/report/CheckRules.h"
#include "cli/report/UnifiedDiff.h"

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace brindle::test {
namespace {

const fs::path kReport = SourceDir() / "tests" / "cli" / "report";

// The project of data/ with a module of every kind of finding, a component that is missing and
// a template that names no keyword.
class Report : public ::testing::Test {
protected:
    void SetUp() override { folder = LayOutCase(kReport / "data", temp.path()); }
    BrindleRun Run(const std::vector<std::string>& args) const {
        return RunBrindle(folder, temp.path() / "settings.ini", args);
    }
    // The fingerprints of the SARIF log's results.
    std::vector<std::string> Fingerprints() const {
        std::vector<std::string> prints;
        const auto log = Json::parse(Run({"check", "Shop.vbp", "--format", "sarif"}).out);
        for (const auto& result : log["runs"][0]["results"]) {
            prints.push_back(result["partialFingerprints"]["brindleFinding/v1"]);
        }
        return prints;
    }

    TempDir temp;
    fs::path folder;
};

// Each finding at its file line (attribute lines counted), each file not checked as an error,
// told on standard error in every format; the JSON formats compared as documents.
TEST_F(Report, EachFormatGivesTheExpectedReport) {
    for (const std::string format : {"text", "github", "json", "sarif"}) {
        SCOPED_TRACE(format);
        const auto run = Run({"check", "Shop.vbp", "--format", format});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(Has(run.err, "brindle: 1 finding in the templates, 6 findings in 1 module\n"));
        EXPECT_TRUE(Has(run.err, "Shop.vbp:3: Gone.bas: no such file"));
        const bool json = format == "json" || format == "sarif";
        const auto expected =
            ReadBytes(kReport / "expected" / (format + (json ? ".json" : ".txt")));
        if (!json) {
            EXPECT_EQ(run.out, expected);
            continue;
        }
        auto document = Json::parse(run.out);
        if (format == "sarif") {
            document["runs"][0]["originalUriBaseIds"]["%SRCROOT%"]["uri"] = "file:///FOLDER/";
            document["runs"][0]["tool"]["driver"]["version"] = "VERSION";
            // One rule shows how each is given: all come from the one table, in its order.
            auto& rules = document["runs"][0]["tool"]["driver"]["rules"];
            EXPECT_EQ(rules.size(), std::size(cli::kCheckRules));
            for (const auto& result : document["runs"][0]["results"]) {
                EXPECT_EQ(rules[result["ruleIndex"].get<std::size_t>()]["id"], result["ruleId"]);
            }
            rules.erase(rules.begin() + 1, rules.end());
        }
        EXPECT_EQ(document, Json::parse(expected)) << run.out;
    }
    // A result's fingerprint is its own, and stays when lines above it come or go.
    const auto before = Fingerprints();
    EXPECT_EQ(std::set<std::string>(before.begin(), before.end()).size(), before.size());
    auto module = ReadBytes(folder / "Checks.bas");
    WriteBytes(folder / "Checks.bas", module.insert(module.find("Option"), "\r\n' Moved\r\n"));
    EXPECT_EQ(Fingerprints(), before);
}

// --require and --stale choose what is found; a run that checked no module, or that no rule
// was asked of, cannot pass; a file that cannot be read still gives a JSON document.
TEST_F(Report, RulesAskedForAndRunsThatCannotPass) {
    const auto handlers = Run({"check", "Checks.bas", "--require", "handler", "-q"});
    EXPECT_FALSE(Has(handlers.out, "marked procedure header\n"));
    EXPECT_TRUE(Has(handlers.out, "Checks.bas:23: Sub Bare has no error handler\n"));
    EXPECT_EQ(handlers.err, "");
    EXPECT_TRUE(Has(Run({"check", "Checks.bas", "--stale"}).out,
                    "Checks.bas:16: a marked error footer that the templates and options"));
    const auto nothing = Run({"check", "Checks.bas", "--require", ""});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_TRUE(
        Has(nothing.err, "brindle: --require lists no rule, so no module was checked for what"));
    WriteBytes(folder / ".brindleignore", "*.bas\n");
    const auto ignored = Run({"check", "Shop.vbp"});
    EXPECT_EQ(ignored.status, 1);
    EXPECT_TRUE(
        Has(ignored.err, "brindle: no module was checked: .brindleignore leaves out every one\n"));
    const auto missing = Run({"check", "Missing.vbp", "--json", "-q"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(Json::parse(missing.out), Json::parse(R"({"findings": [],
      "errors": [{"file": "", "line": 0, "message": "Missing.vbp: no such file"}],
      "counts": {}, "modules": 0, "ignored": 0, "baselined": 0})"));
    WriteBytes(folder / "brindle.ini", "[Options]\nAdd Code Markers=maybe\n");
    const auto team = Json::parse(Run({"check", "Checks.bas", "--json", "-q"}).out);
    EXPECT_EQ(team["errors"][0]["line"], 2) << team;
    EXPECT_TRUE(Has(team["errors"][0]["file"].get<std::string>(), "brindle.ini"));
}

// A baseline holds after lines moved, from another folder too; a run on part of the code base
// counts as gone, and rewrites, only its modules' part of it (and a deleted module's). None is
// written from a run that could not check every file, nor over a file that is no baseline.
TEST_F(Report, ABaselineKeepsKnownFindings) {
    const auto base = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"--baseline", "base.json"});
        return Run(args);
    };
    auto bad = base({"check", "Shop.vbp", "--update-baseline"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(Has(bad.err, "base.json: the baseline was not written"));
    EXPECT_FALSE(fs::exists(folder / "base.json"));
    WriteBytes(folder / "Shop.vbp", "Type=Exe\r\nModule=Checks; Checks.bas\r\n");
    WriteBytes(folder / "Other.bas", "Attribute VB_Name = \"Other\"\r\nSub Other()\r\nEnd Sub\r\n");
    ASSERT_EQ(base({"check", "Shop.vbp", "Other.bas", "--update-baseline"}).status, 0);
    EXPECT_EQ(Json::parse(ReadBytes(folder / "base.json")),
              Json::parse(ReadBytes(kReport / "expected" / "base.json")));

    // Lines moved, a second finding of a rule in one procedure, a new procedure.
    auto module = ReadBytes(folder / "Checks.bas");
    module.insert(module.find("Sub Trapping"), kBeginMarker + "\r\n");
    module.insert(module.find("Option"), "' Moved\r\n");
    WriteBytes(folder / "Checks.bas", module + "Sub Late()\r\nEnd Sub\r\n");
    const auto fresh = RunBrindle(temp.path(), temp.path() / "settings.ini",
                                  {"check", "case/Shop.vbp", "--baseline", "case/base.json", "-q"});
    EXPECT_EQ(fresh.status, 1);
    const std::string at = kOnWindows ? "case\\Checks.bas:" : "case/Checks.bas:";
    EXPECT_EQ(fresh.out, at + "27: a begin marker without its end marker\n" + at +
                             "33: Sub Late has no marked procedure header\n" + at +
                             "33: Sub Late has no error handler\n");
    const auto alone = base({"check", "Checks.bas"});
    EXPECT_TRUE(Has(alone.err, "3 new findings in 1 module (7 in the baseline)\n"));
    EXPECT_FALSE(Has(alone.err, "no longer found"));
    WriteBytes(folder / "staged.txt", "Checks.bas\n");
    ASSERT_EQ(
        base({"check", "Shop.vbp", "Other.bas", "--files-from", "staged.txt", "--update-baseline"})
            .status,
        0);
    EXPECT_TRUE(Has(ReadBytes(folder / "base.json"), "Sub Late"));
    EXPECT_TRUE(Has(ReadBytes(folder / "base.json"), "Other.bas"));
    fs::remove(folder / "Other.bas");
    EXPECT_TRUE(
        Has(base({"check", "Checks.bas"}).err, "3 findings of the baseline no longer found"));
    ASSERT_EQ(base({"check", "Checks.bas", "--update-baseline"}).status, 0);
    EXPECT_FALSE(Has(ReadBytes(folder / "base.json"), "Other.bas"));

    WriteBytes(folder / "base.json", "{\"findings\": [{\"file\": \"Old.bas\"}]}");
    EXPECT_TRUE(Has(base({"check", "Shop.vbp"}).err, "base.json: no baseline of brindle check"));
    const auto over = base({"check", "Shop.vbp", "--update-baseline"});
    EXPECT_EQ(over.status, 2);
    EXPECT_TRUE(Has(over.err, "--update-baseline leaves it")) << over.err;
    EXPECT_EQ(ReadBytes(folder / "base.json"), "{\"findings\": [{\"file\": \"Old.bas\"}]}");
    EXPECT_EQ(Run({"check", "Shop.vbp", "--update-baseline"}).status, 2);
}

TEST(UnifiedDiffs, KeepEachLinesOwnBreakAndGiveChangesFarApartHunksOfTheirOwn) {
    using cli::UnifiedDiff;
    EXPECT_EQ(UnifiedDiff("m.bas", "", "x\r\ny\r\n"),
              "--- a/m.bas\n+++ b/m.bas\n@@ -0,0 +1,2 @@\n+x\r\n+y\r\n");
    EXPECT_EQ(UnifiedDiff("m.bas", "a\r\nb", "a\r\nc"),
              "--- a/m.bas\n+++ b/m.bas\n@@ -1,2 +1,2 @@\n a\r\n-b\n\\ No newline at end of "
              "file\n+c\n\\ No newline at end of file\n");
    std::string before;
    std::string after;
    for (int i = 1; i <= 20; ++i) {
        before += "line " + std::to_string(i) + "\r\n";
        after += (i == 2 || i == 8 || i == 17 ? "changed " : "line ") + std::to_string(i) + "\r\n";
    }
    const auto diff = UnifiedDiff("m.bas", before, after);
    EXPECT_TRUE(Has(diff, "@@ -1,11 +1,11 @@\n"));
    EXPECT_TRUE(Has(diff, "@@ -14,7 +14,7 @@\n"));
}

// A diff names the files from where it was made, so patch -p1 applies it there.
TEST(UnifiedDiffs, ADiffMadeOutsideTheProjectFolderAppliesWithPatch) {
    if (kOnWindows || std::system("command -v patch >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no patch(1) here (there is none on Windows)";
    }
    TempDir temp;
    CopyFolder(SourceDir() / "examples", temp.path() / "Inventory");
    CopyFolder(SourceDir() / "examples", temp.path() / "Direct");
    const auto settings = temp.path() / "settings.ini";
    const auto diff =
        RunBrindle(temp.path(), settings, {"add-all", "Inventory/Inventory.vbp", "--diff"});
    WriteBytes(temp.path() / "added.patch", diff.out);
    ASSERT_EQ(std::system(
                  ("cd " + ShellQuote(temp.path().string()) + " && patch -p1 --quiet <added.patch")
                      .c_str()),
              0);
    ASSERT_EQ(
        RunBrindle(temp.path() / "Direct", settings, {"add-all", "Inventory.vbp", "--yes"}).status,
        0);
    EXPECT_EQ(Snapshot(temp.path() / "Inventory"), Snapshot(temp.path() / "Direct"));
}

}  // namespace
}  // namespace brindle::test
