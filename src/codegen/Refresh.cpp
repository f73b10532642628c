#include "codegen/Refresh.h"

#include <algorithm>
#include <map>

#include "analysis/LineHelpers.h"
#include "analysis/ProcDecl.h"
#include "codegen/BlockText.h"
#include "codegen/DeclarationGroup.h"
#include "codegen/GeneratedCode.h"
#include "codegen/Insertion.h"
#include "model/VbError.h"
#include "templates/Expansion.h"
#include "util/Text.h"

namespace brindle {
namespace {

// The blocks a command may look at: those of a role, outside what the user keeps Brindle away
// from.
struct Subject {
    const GeneratedBlock& block;
    const ProcSpan* proc;
};

std::vector<Subject> Subjects(const GeneratedCode& code, const Exclusions& exclusions) {
    std::vector<Subject> subjects;
    for (const auto& block : code.blocks) {
        const bool left = block.proc && *block.proc < exclusions.procs.size() &&
                          exclusions.procs[*block.proc].has_value();
        if (!left) {
            subjects.push_back({block, block.proc ? &code.procedures[*block.proc] : nullptr});
        }
    }
    return subjects;
}

// "Sub Main", in UTF-8.
std::string Shown(CodeModule& module, const ProcSpan& proc) {
    return module.ToUnicode(ProcedureLabel(module, proc.name, proc.kind));
}

std::string NoPlaceFor(BlockRole role) {
    return "text in the marked " + std::string(TitleOf(role)) +
           " that the template in use has no place for";
}

// Gives the lines from `first` on, `old` now, the text of `lines`: the lines that the two
// begin and end with alike stay as they are, and only those between them are replaced.
void ReplaceChangedLines(CodeModule& module, std::int32_t first,
                         const std::vector<std::string>& old,
                         const std::vector<std::string>& lines) {
    const auto keptBelow = static_cast<std::size_t>(
        std::mismatch(old.rbegin(), old.rend(), lines.rbegin(), lines.rend()).first - old.rbegin());
    const auto keptAbove = static_cast<std::size_t>(
        std::mismatch(old.begin(), old.end() - static_cast<std::ptrdiff_t>(keptBelow),
                      lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(keptBelow))
            .first -
        old.begin());
    const auto at = first + static_cast<std::int32_t>(keptAbove);
    const auto deleted = old.size() - keptAbove - keptBelow;
    if (deleted > 0) {
        module.DeleteLines(at, static_cast<std::int32_t>(deleted));
    }
    std::string text;
    for (std::size_t i = keptAbove; i + keptBelow < lines.size(); ++i) {
        text += (i == keptAbove ? "" : "\r\n") + lines[i];
    }
    if (keptAbove + keptBelow < lines.size()) {
        module.InsertLines(at, text);
    }
}

// Whether the block was rewritten.
bool Refresh(const AddinFields& fields, CodeModule& module, const Subject& subject,
             Diagnostics* sink, Unplaced unplaced) {
    const auto& block = subject.block;
    const auto old = InnerLines(module, block.block);
    const auto plan = PlanBlock(fields, module, block.role, subject.proc, old, unplaced);
    const auto first = block.block.begin.line + 1;
    if (plan.kind == BlockPlan::Kind::Left) {
        const auto label = subject.proc ? Shown(module, *subject.proc) : std::string();
        const auto line = first + static_cast<std::int32_t>(plan.left);
        WarnTo(sink, module.ToUnicode(module.Parent().Name()), CodePlace{label, line, 0},
               NoPlaceFor(block.role) + "; the block is left as it is");
        TellDone(sink, Work::BlockLeftUnplaced);
    }
    if (plan.kind != BlockPlan::Kind::NewLines) {
        return false;
    }
    ReplaceChangedLines(module, first, old, plan.lines);
    return true;
}

// The kind an Exit statement among the line's statements leaves ("Sub"), or "".
std::string ExitKindIn(std::string_view line) {
    const auto code = NonCommentPart(line);
    for (const auto statement : StatementsOf(code)) {
        for (const std::string_view kind : {"Sub", "Function", "Property"}) {
            const auto exit = "Exit " + std::string(kind);
            if (statement.size() >= exit.size() &&
                EqualsNoCase(statement.substr(0, exit.size()), exit) &&
                TrimBlanks(statement.substr(exit.size())).empty()) {
                return std::string(kind);
            }
        }
    }
    return {};
}

class Checker {
public:
    Checker(const AddinFields& fields, CodeModule& module, const CheckRules& rules)
        : fields_(fields), module_(module), rules_(rules) {}

    std::vector<Finding> Run() {
        const auto code = MapGeneratedCode(fields_, module_);
        const auto exclusions = FindExclusions(fields_, module_, code.procedures);
        if (exclusions.module) {
            return {};
        }
        for (const auto& broken : code.broken) {
            if (!InLeftProcedure(broken.first.line, code, exclusions)) {
                Add(broken.first.line, "markers", std::string(ProblemOf(broken)));
            }
        }
        const bool mistaken = CheckModuleHeaderRole(code);
        if (rules_.moduleHeader && (mistaken || !code.Has(BlockRole::ModuleHeader))) {
            Add(1, "module-header", "no marked module header");
        }
        for (std::size_t p = 0; p < code.procedures.size(); ++p) {
            if (p >= exclusions.procs.size() || !exclusions.procs[p]) {
                CheckProcedure(code, p);
                CheckLabels(code, p);
            }
        }
        const auto subjects = Subjects(code, exclusions);
        for (const auto& subject : subjects) {
            CheckBlock(subject);
        }
        CheckHeadersOfOneProcedure(subjects);
        for (const auto line : SkipCommentsOfNothing(module_, code.procedures)) {
            if (!InLeftProcedure(line, code, exclusions)) {
                Add(line, "skip",
                    "a skip comment above no procedure keeps Brindle from nothing: only comment "
                    "lines may stand between it and the declaration");
            }
        }
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        return std::move(findings_);
    }

private:
    bool InLeftProcedure(std::int32_t line, const GeneratedCode& code,
                         const Exclusions& exclusions) const {
        auto kind = vbext_pk_Proc;
        const auto name = module_.ProcOfLine(line, kind);
        return !name.empty() && exclusions.Excludes(name, kind, code.procedures);
    }

    void CheckProcedure(const GeneratedCode& code, std::size_t p) {
        const auto& proc = code.procedures[p];
        if (rules_.header && !code.Has(BlockRole::ProcedureHeader, p)) {
            Add(proc.bodyLine, "header", Shown(module_, proc) + " has no marked procedure header");
        }
        const bool handled = code.Has(BlockRole::ErrorHeader, p) ||
                             code.Has(BlockRole::ErrorFooter, p) ||
                             HasOnErrorStatement(module_, proc);
        if (rules_.handler && !handled) {
            auto text = Shown(module_, proc) + " has no error handler";
            if (const auto why = NoPlaceForHandler(module_, proc.name, proc.kind)) {
                text += ", and Brindle cannot add one: " + *why;
            }
            Add(proc.bodyLine, "handler", text);
        }
    }

    void CheckBlock(const Subject& subject) {
        const auto& block = subject.block;
        if (subject.proc != nullptr && block.role != BlockRole::ProcedureHeader) {
            CheckExits(*subject.proc, block);
        }
        if (block.role == BlockRole::ProcedureHeader) {
            CheckName(*subject.proc, block);
        }
        const auto* tmplt = TemplateOf(fields_, block.role);
        if (rules_.stale && tmplt != nullptr && !tmplt->empty()) {
            CheckStale(subject);
        }
    }

    void CheckStale(const Subject& subject) {
        const auto& block = subject.block;
        const auto plan =
            PlanBlock(fields_, module_, block.role, subject.proc, InnerLines(module_, block.block));
        if (plan.kind == BlockPlan::Kind::NewLines) {
            Add(block.block.begin.line, "stale",
                "a marked " + std::string(TitleOf(block.role)) +
                    " that the templates and options in use would make otherwise (brindle "
                    "refresh rewrites it)");
        } else if (plan.kind == BlockPlan::Kind::Left) {
            Add(block.block.begin.line + 1 + static_cast<std::int32_t>(plan.left), "stale",
                NoPlaceFor(block.role) + " (brindle refresh leaves the block as it is)");
        }
    }

    // Within the procedure's body only: the Exit statements of its error handler.
    void CheckExits(const ProcSpan& proc, const GeneratedBlock& block) {
        std::int32_t count = 0;
        const auto want = proc.kind == vbext_pk_Proc
                              ? ProcedureTypeOf(GetProcDeclLine(module_, proc.bodyLine, count))
                              : std::string("Property");
        for (auto line = block.block.begin.line + 1; line < block.block.end.line; ++line) {
            const auto kind = ExitKindIn(module_.Lines(line, 1));
            if (!kind.empty() && kind != want) {
                Add(line, "exit",
                    "Exit " + kind + " in the marked " + std::string(TitleOf(block.role)) + " of " +
                        Shown(module_, proc) + " (it is a " + want + " now)");
            }
        }
    }

    void CheckName(const ProcSpan& proc, const GeneratedBlock& block) {
        const auto named = KeywordValueIn(fields_, module_, BlockRole::ProcedureHeader,
                                          "ProcedureName", InnerLines(module_, block.block));
        if (named && !named->empty() && !EqualsNoCase(*named, proc.name)) {
            Add(block.block.begin.line, "name",
                "the marked procedure header names " + module_.ToUnicode(*named) + ", not " +
                    Shown(module_, proc));
        }
    }

    // A second header above one procedure: add-headers run twice.
    void CheckHeadersOfOneProcedure(const std::vector<Subject>& subjects) {
        std::vector<const ProcSpan*> seen;
        for (const auto& subject : subjects) {
            if (subject.block.role != BlockRole::ProcedureHeader || subject.proc == nullptr) {
                continue;
            }
            if (std::find(seen.begin(), seen.end(), subject.proc) != seen.end()) {
                Add(subject.block.block.begin.line, "duplicate",
                    "a second marked procedure header above " + Shown(module_, *subject.proc));
            }
            seen.push_back(subject.proc);
        }
    }

    // A label defined twice in a procedure does not compile; with one of them in a marked
    // block, an error handler was most likely added twice.
    void CheckLabels(const GeneratedCode& code, std::size_t p) {
        const auto& proc = code.procedures[p];
        const auto last = proc.endLine != 0 ? proc.endLine - 1 : proc.lastLine;
        std::map<std::string, std::int32_t> seen;
        for (auto line = proc.firstBodyLine; line <= last; ++line) {
            const auto text = module_.Lines(line, 1);
            const auto label = LabelOn(text);
            if (label.empty()) {
                continue;
            }
            const auto [first, fresh] = seen.emplace(LowerAscii(label), line);
            const int marked =
                (InBlock(code, line) ? 1 : 0) + (InBlock(code, first->second) ? 1 : 0);
            if (!fresh && marked > 0) {
                Add(line, "duplicate",
                    "a second label " + module_.ToUnicode(std::string(label)) + " in " +
                        Shown(module_, proc) + ", so the module does not compile (" +
                        (marked == 2 ? "a marked error handler added twice"
                                     : "one of them in a marked block") +
                        ")");
            }
        }
    }

    static bool InBlock(const GeneratedCode& code, std::int32_t line) {
        return std::any_of(code.blocks.begin(), code.blocks.end(), [&](const GeneratedBlock& b) {
            return b.block.begin.line < line && line < b.block.end.line;
        });
    }

    // Whether the block taken for the module header reads as the first procedure's header
    // rather than as a module header (two procedure headers above a module's first procedure,
    // and no module header); it is reported.
    bool CheckModuleHeaderRole(const GeneratedCode& code) {
        const auto header =
            std::find_if(code.blocks.begin(), code.blocks.end(),
                         [](const GeneratedBlock& b) { return b.role == BlockRole::ModuleHeader; });
        if (header == code.blocks.end() || code.procedures.empty() ||
            fields_.msModHdrTmplt.empty() || fields_.msProcHdrTmplt.empty()) {
            return false;
        }
        const auto& first = code.procedures.front();
        const auto lines = InnerLines(module_, header->block);
        int asModule = 0;
        int asProcedure = 0;
        try {
            asModule =
                Likeness(ExpectedLines(fields_, module_, BlockRole::ModuleHeader, nullptr), lines);
            asProcedure = Likeness(
                ExpectedLines(fields_, module_, BlockRole::ProcedureHeader, &first), lines);
        } catch (const VbError&) {
            return false;
        }
        if (asProcedure <= asModule) {
            return false;
        }
        Add(header->block.begin.line, "role",
            "the marked block taken for the module header reads as the procedure header of " +
                Shown(module_, first));
        return true;
    }

    void Add(std::int32_t line, std::string rule, std::string text) {
        findings_.push_back({line, std::move(rule), std::move(text)});
    }

    const AddinFields& fields_;
    CodeModule& module_;
    const CheckRules& rules_;
    std::vector<Finding> findings_;
};

}  // namespace

void RefreshModule(const AddinFields& fields, CodeModule& module, Diagnostics* sink,
                   Unplaced unplaced) {
    PassOn("Brindle.RefreshModule", [&] {
        const auto code = MapGeneratedCode(fields, module);
        const auto exclusions = FindExclusions(fields, module, code.procedures);
        if (exclusions.module) {
            return;
        }
        const auto moduleName = module.ToUnicode(module.Parent().Name());
        for (const auto& broken : code.broken) {
            WarnOfBroken(sink, moduleName, broken);
        }
        auto subjects = Subjects(code, exclusions);
        // From the bottom up: a rewritten block moves nothing above it.
        for (auto subject = subjects.rbegin(); subject != subjects.rend(); ++subject) {
            const auto role = subject->block.role;
            const auto* tmplt = TemplateOf(fields, role);
            if (tmplt == nullptr) {
                continue;
            }
            if (tmplt->empty()) {
                WarnTo(sink, "",
                       "the " + std::string(TitleOf(role)) + " template \"" +
                           fields.*SlotOf(role)->path +
                           "\" is missing, unreadable or empty; its blocks were left as they are");
                continue;
            }
            if (Refresh(fields, module, *subject, sink, unplaced)) {
                TellDone(sink, Work::BlockRewritten);
            }
        }
    });
}

std::vector<Finding> CheckModule(const AddinFields& fields, CodeModule& module,
                                 const CheckRules& rules) {
    return PassOn("Brindle.CheckModule", [&] { return Checker(fields, module, rules).Run(); });
}

}  // namespace brindle
