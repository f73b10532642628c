#include "workbench/FindReplace.h"

#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/qt/QtText.h"
#include "ui/qt/WinUtils.h"
#include "workbench/CodeWindow.h"

namespace brindle::workbench {

using ui::qt::ToUtf8;

namespace {

constexpr const char* kNotFound = "The specified text was not found.";
constexpr const char* kSearched = "The specified region has been searched.";

// An editable drop-down that keeps what was typed, the last first. What is typed stays as
// typed: no completion, and Return matches an entry only in its own letter case (a combo box
// without a completer would take an entry that differs in case in place of the typed text).
QComboBox* History(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    auto* none = new QCompleter(QStringList{}, box);
    none->setCaseSensitivity(Qt::CaseSensitive);
    box->setCompleter(none);
    box->setMinimumWidth(300);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return box;
}

void Remember(QComboBox& box) {
    const QString text = box.currentText();
    if (text.isEmpty()) {
        return;
    }
    const int at = box.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (at != 0) {
        if (at > 0) {
            box.removeItem(at);
        }
        box.insertItem(0, text);
        box.setCurrentIndex(0);
    }
}

}  // namespace

// ---- The dialog ----

FindDialog::FindDialog(QWidget* parent)
    : QDialog(parent),
      findWhat_(History(this, "findWhat")),
      replaceLabel_(new QLabel(QStringLiteral("Re&place With:"), this)),
      replaceWith_(History(this, "replaceWith")),
      procedure_(new QRadioButton(QStringLiteral("Current &Procedure"), this)),
      module_(new QRadioButton(QStringLiteral("Current &Module"), this)),
      project_(new QRadioButton(QStringLiteral("Current Pro&ject"), this)),
      selection_(new QRadioButton(QStringLiteral("&Selected Text"), this)),
      direction_(new QComboBox(this)),
      wholeWord_(new QCheckBox(QStringLiteral("Find Whole &Word Only"), this)),
      matchCase_(new QCheckBox(QStringLiteral("Match &Case"), this)),
      pattern_(new QCheckBox(QStringLiteral("Use Pattern Matc&hing"), this)),
      replaceMode_(new QPushButton(QStringLiteral("&Replace..."), this)),
      replace_(new QPushButton(QStringLiteral("&Replace"), this)),
      replaceAll_(new QPushButton(QStringLiteral("Replace &All"), this)),
      note_(new QLabel(this)) {
    setObjectName(QStringLiteral("findDialog"));
    setModal(false);
    ui::qt::FixedDialogFrame(*this);
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd What:"), this);
    findLabel->setBuddy(findWhat_);
    replaceLabel_->setBuddy(replaceWith_);
    module_->setChecked(true);

    auto* search = new QGroupBox(QStringLiteral("Search"), this);
    auto* searchLayout = new QVBoxLayout(search);
    searchLayout->addWidget(procedure_);
    searchLayout->addWidget(module_);
    searchLayout->addWidget(project_);
    searchLayout->addWidget(selection_);

    direction_->setObjectName(QStringLiteral("direction"));
    direction_->addItems({QStringLiteral("All"), QStringLiteral("Down"), QStringLiteral("Up")});
    auto* directionLabel = new QLabel(QStringLiteral("&Direction:"), this);
    directionLabel->setBuddy(direction_);
    auto* options = new QGridLayout;
    options->addWidget(directionLabel, 0, 0);
    options->addWidget(direction_, 0, 1);
    options->addWidget(wholeWord_, 1, 0, 1, 2);
    options->addWidget(matchCase_, 2, 0, 1, 2);
    options->addWidget(pattern_, 3, 0, 1, 2);
    options->setRowStretch(4, 1);

    auto* findNext = new QPushButton(QStringLiteral("&Find Next"), this);
    findNext->setObjectName(QStringLiteral("findNext"));
    findNext->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    replace_->setObjectName(QStringLiteral("replace"));
    replaceAll_->setObjectName(QStringLiteral("replaceAll"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {findNext, cancel, replaceMode_, replace_, replaceAll_}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    note_->setObjectName(QStringLiteral("findNote"));
    note_->setWordWrap(true);
    note_->hide();

    auto* fields = new QGridLayout;
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(findWhat_, 0, 1);
    fields->addWidget(replaceLabel_, 1, 0);
    fields->addWidget(replaceWith_, 1, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(search);
    middle->addLayout(options, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(middle);
    left->addWidget(note_);
    auto* layout = new QHBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(findNext, &QPushButton::clicked, this, [this] {
        Remember(*findWhat_);
        if (onFindNext) {
            onFindNext(false);
        }
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
    connect(replaceMode_, &QPushButton::clicked, this, [this] { ShowReplace(true); });
    connect(replace_, &QPushButton::clicked, this, [this] {
        Remember(*findWhat_);
        Remember(*replaceWith_);
        if (onReplace) {
            onReplace();
        }
    });
    connect(replaceAll_, &QPushButton::clicked, this, [this] {
        Remember(*findWhat_);
        Remember(*replaceWith_);
        if (onReplaceAll) {
            onReplaceAll();
        }
    });
    const auto changed = [this] {
        if (onChanged) {
            onChanged();
        }
    };
    connect(findWhat_, &QComboBox::editTextChanged, this, changed);
    for (QAbstractButton* option : std::initializer_list<QAbstractButton*>{
             procedure_, module_, project_, selection_, wholeWord_, matchCase_, pattern_}) {
        connect(option, &QAbstractButton::toggled, this, changed);
    }
    connect(direction_, &QComboBox::currentIndexChanged, this, changed);
    ShowReplace(false);
}

void FindDialog::ShowReplace(bool replace) {
    replacing_ = replace;
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    replaceLabel_->setVisible(replace);
    replaceWith_->setVisible(replace);
    replace_->setVisible(replace);
    replaceAll_->setVisible(replace);
    replaceMode_->setVisible(!replace);
    adjustSize();
}

SearchText FindDialog::Text() const {
    return {ToUtf8(findWhat_->currentText()), matchCase_->isChecked(), wholeWord_->isChecked(),
            pattern_->isChecked()};
}

QString FindDialog::ReplaceWith() const {
    return replaceWith_->currentText();
}

SearchScope FindDialog::Scope() const {
    if (project_->isChecked() || !module_->isEnabled()) {
        return SearchScope::Project;
    }
    if (selection_->isChecked() && selection_->isEnabled()) {
        return SearchScope::Selection;
    }
    return procedure_->isChecked() ? SearchScope::Procedure : SearchScope::Module;
}

SearchDirection FindDialog::Direction() const {
    return static_cast<SearchDirection>(direction_->currentIndex());
}

void FindDialog::Fill(const QString& find, const QString& replace, SearchScope scope,
                      bool matchCase, bool wholeWord, bool pattern) {
    findWhat_->setEditText(find);
    replaceWith_->setEditText(replace);
    (scope == SearchScope::Procedure   ? procedure_
     : scope == SearchScope::Module    ? module_
     : scope == SearchScope::Selection ? selection_
                                       : project_)
        ->setChecked(true);
    matchCase_->setChecked(matchCase);
    wholeWord_->setChecked(wholeWord);
    pattern_->setChecked(pattern);
}

void FindDialog::SetFindWhat(const QString& text) {
    findWhat_->setEditText(text);
    findWhat_->lineEdit()->selectAll();
    findWhat_->setFocus();
}

void FindDialog::SetNote(const QString& note) {
    note_->setText(note);
    note_->setVisible(!note.isEmpty());
}

void FindDialog::OfferModuleScopes(bool offer) {
    procedure_->setEnabled(offer);
    module_->setEnabled(offer);
}

void FindDialog::OfferSelection(bool offer, bool choose) {
    selection_->setEnabled(offer);
    if (offer && choose) {
        selection_->setChecked(true);
    } else if (!offer && selection_->isChecked()) {
        module_->setChecked(true);
    }
}

// ---- Finding and replacing ----

FindReplace::FindReplace(Workspace& workspace, FindHost host, QWidget* parent)
    : workspace_(workspace), host_(std::move(host)), dialog_(new FindDialog(parent)) {
    dialog_->onFindNext = [this](bool reverse) { FindNext(reverse); };
    dialog_->onReplace = [this] { Replace(); };
    dialog_->onReplaceAll = [this] { ReplaceAll(); };
    dialog_->onChanged = [this] { origin_.reset(); };
}

FindReplace::~FindReplace() {
    delete dialog_;  // before the window it belongs to, as it calls back here
}

void FindReplace::Show(bool replace) {
    CodeWindow* window = host_.active();
    selectedText_.reset();
    bool lines = false;
    if (window != nullptr) {
        QsciScintilla& editor = window->Editor();
        QString text = editor.selectedText();
        if (!text.isEmpty()) {
            window->SelectionToPane();
            LineRange range;
            std::int32_t endLine = 1;
            window->Component().Code()->CodePane().GetSelection(range.first, range.firstColumn,
                                                                endLine, range.endColumn);
            range.last = endLine;
            selectedText_ = std::pair(workspace_.ModuleOf(window->Component()), range);
            lines = text.contains('\n');
        }
        if (text.isEmpty() || text.contains('\n')) {
            int line = 0;
            int index = 0;
            editor.getCursorPosition(&line, &index);
            text = editor.wordAtLineIndex(line, index);
        }
        if (!text.isEmpty()) {
            dialog_->SetFindWhat(text);
        }
    }
    dialog_->OfferModuleScopes(window != nullptr);
    dialog_->OfferSelection(selectedText_ && selectedText_->first != nullptr, lines);
    dialog_->ShowReplace(replace);
    dialog_->SetNote({});
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void FindReplace::Tell(const QString& note) {
    note_ = note;
    dialog_->SetNote(note);
    if (host_.tell) {
        host_.tell(note);
    }
}

std::vector<FindReplace::Unit> FindReplace::Units(OpenProject*& project) {
    std::vector<Unit> units;
    CodeWindow* window = host_.active();
    OpenModule* module = window != nullptr ? workspace_.ModuleOf(window->Component()) : nullptr;
    project = module != nullptr ? workspace_.ProjectOf(window->Component()) : host_.project();
    if (project == nullptr) {
        return units;
    }
    const SearchScope scope = module != nullptr ? dialog_->Scope() : SearchScope::Project;
    host::MemoryCodeModule* code = module != nullptr ? module->Component().Code() : nullptr;
    if (code != nullptr && code->CountOfLines() == 0 && scope != SearchScope::Project) {
        return units;
    }
    if (scope == SearchScope::Selection) {
        if (selectedText_ && selectedText_->first == module) {
            units.push_back({module, selectedText_->second});
        }
    } else if (scope == SearchScope::Module) {
        units.push_back({module, ModuleLines(*code)});
    } else if (scope == SearchScope::Procedure) {
        window->SelectionToPane();
        std::int32_t line = 1, column = 1, endLine = 1, endColumn = 1;
        code->CodePane().GetSelection(line, column, endLine, endColumn);
        units.push_back({module, ProcedureLines(*code, std::clamp(line, 1, code->CountOfLines()))});
    } else {
        for (const auto& open : project->modules) {
            if (open->history) {
                units.push_back({open.get(), ModuleLines(*open->Component().Code())});
            }
        }
    }
    return units;
}

std::vector<FindReplace::Found> FindReplace::AllHits(const std::vector<Unit>& units,
                                                     const LineFinder& finder) {
    std::vector<Found> all;
    for (std::size_t i = 0; i < units.size(); ++i) {
        host::MemoryCodeModule& code = *units[i].module->Component().Code();
        const std::int32_t last = std::min(units[i].lines.last, code.CountOfLines());
        for (std::int32_t line = units[i].lines.first; line <= last; ++line) {
            for (const Hit& hit : finder.In(code.Lines(line, 1), line)) {
                if (!units[i].lines.Holds(hit)) {
                    continue;
                }
                all.push_back({{static_cast<std::ptrdiff_t>(i), hit.line, hit.column}, hit});
            }
        }
    }
    return all;
}

std::optional<std::pair<FindReplace::Place, FindReplace::Place>> FindReplace::Selection(
    const std::vector<Unit>& units) {
    CodeWindow* window = host_.active();
    if (window == nullptr) {
        return std::nullopt;
    }
    const auto found = std::find_if(units.begin(), units.end(), [&](const Unit& unit) {
        return &unit.module->Component() == &window->Component();
    });
    if (found == units.end()) {
        return std::nullopt;
    }
    window->SelectionToPane();
    std::int32_t line = 1, column = 1, endLine = 1, endColumn = 1;
    window->Component().Code()->CodePane().GetSelection(line, column, endLine, endColumn);
    const std::ptrdiff_t unit = found - units.begin();
    return std::pair(Place{unit, line, column}, Place{unit, endLine, endColumn});
}

void FindReplace::Select(const Unit& unit, const Hit& hit) {
    host::MemoryComponent& component = unit.module->Component();
    CodeWindow* window = host_.open(component);
    if (window == nullptr) {
        return;
    }
    component.Code()->CodePane().SetSelection(hit.line, hit.column, hit.line,
                                              hit.column + hit.length);
    window->SelectionFromPane();
    selected_ = std::pair(unit.module, hit);
    KeepClearOf(window->Editor());
}

// The dialog moves off the match's line, below it or else above it, as the user must see it.
void FindReplace::KeepClearOf(QsciScintilla& editor) {
    if (!dialog_->isVisible()) {
        return;
    }
    const long position = editor.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const auto y = static_cast<int>(
        editor.SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, position));
    const auto height = static_cast<int>(editor.SendScintilla(
        QsciScintillaBase::SCI_TEXTHEIGHT,
        static_cast<unsigned long>(editor.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                                        static_cast<unsigned long>(position)))));
    const QPoint top = editor.viewport()->mapToGlobal(QPoint(0, y));
    const QRect line(top, QSize(editor.viewport()->width(), height));
    // The frame as the window manager draws it may not be known yet: room is left for a title.
    constexpr int kTitle = 32;
    const QRect inner = dialog_->geometry();
    if (!inner.adjusted(0, -kTitle, 0, 0).intersects(line)) {
        return;
    }
    const QRect screen = dialog_->screen()->availableGeometry();
    const int below = line.bottom() + 8 + kTitle;
    const int above = line.top() - 8 - inner.height();
    const int to =
        below + inner.height() <= screen.bottom() || above - kTitle < screen.top() ? below : above;
    dialog_->move(dialog_->pos() + QPoint(0, to - inner.top()));
}

bool FindReplace::FindNext(bool reverse) {
    OpenProject* project = nullptr;
    const std::vector<Unit> units = Units(project);
    if (project == nullptr || units.empty()) {
        Tell(QStringLiteral("There is no code to search."));
        return false;
    }
    const LineFinder finder(dialog_->Text(), project->codePage);
    if (!finder.Problem().empty()) {
        Tell(QString::fromStdString(finder.Problem()));
        return false;
    }
    const std::vector<Found> hits = AllHits(units, finder);
    if (hits.empty()) {
        origin_.reset();
        Tell(QString::fromLatin1(kNotFound));
        return false;
    }
    const SearchDirection direction = dialog_->Direction();
    const bool forward = (direction == SearchDirection::Up) == reverse;
    const auto selection = Selection(units);
    const Place end{static_cast<std::ptrdiff_t>(units.size()), 0, 0};
    // Whether the selection is a match: the round then ends when it comes back to it.
    const bool onMatch = selection && std::any_of(hits.begin(), hits.end(), [&](const Found& f) {
                             return f.place == selection->first &&
                                    Place{f.place.unit, f.hit.line, f.hit.column + f.hit.length} ==
                                        selection->second;
                         });
    Place from =
        selection ? (forward ? selection->second : selection->first) : (forward ? Place{} : end);
    if (dialog_->Scope() == SearchScope::Selection && !onMatch) {
        const LineRange& lines = units.front().lines;  // the selected text, from its start
        from = forward ? Place{0, lines.first, lines.firstColumn}
                       : Place{0, lines.last, lines.endColumn};
    }
    if (selection && selected_ &&
        !(selected_->first == units[static_cast<std::size_t>(from.unit)].module &&
          selected_->second.line == selection->first.line &&
          selected_->second.column == selection->first.column &&
          selection->second.line == selection->first.line &&
          selected_->second.column + selected_->second.length == selection->second.column)) {
        origin_.reset();  // the user moved since
    }
    const Found* next = nullptr;
    if (forward) {
        const auto it =
            std::find_if(hits.begin(), hits.end(), [&](const Found& f) { return f.place >= from; });
        next = it != hits.end() ? &*it : nullptr;
    } else {
        const auto it = std::find_if(hits.rbegin(), hits.rend(),
                                     [&](const Found& f) { return f.place < from; });
        next = it != hits.rend() ? &*it : nullptr;
    }
    if (next == nullptr && direction == SearchDirection::All) {
        next = forward ? &hits.front() : &hits.back();
    }
    bool searched = next == nullptr;
    if (next != nullptr && direction == SearchDirection::All) {
        if (!origin_) {
            origin_ = onMatch ? (forward ? selection->first : selection->second) : from;
        }
        const Place o = *origin_;
        const Place h = next->place;
        searched = forward ? (from <= h ? from < o && o <= h : o > from || o <= h)
                           : (h < from ? h <= o && o < from : o < from || o >= h);
    }
    if (searched) {
        origin_.reset();
        selected_.reset();
        Tell(QString::fromLatin1(kSearched));
        return false;
    }
    Select(units[static_cast<std::size_t>(next->place.unit)], next->hit);
    Tell({});
    return true;
}

bool FindReplace::Replace() {
    OpenProject* project = nullptr;
    const std::vector<Unit> units = Units(project);
    if (project == nullptr || units.empty()) {
        return FindNext();
    }
    const LineFinder finder(dialog_->Text(), project->codePage);
    const std::optional<std::string> bytes =
        ReplacementBytes(ToUtf8(dialog_->ReplaceWith()), project->codePage);
    const auto selection = Selection(units);
    if (!finder.Problem().empty() || !bytes || !selection ||
        selection->first.line != selection->second.line) {
        if (!bytes) {
            Tell(QStringLiteral("The replacement cannot be written in code page %1.")
                     .arg(project->codePage));
            return false;
        }
        return FindNext();
    }
    const Unit& unit = units[static_cast<std::size_t>(selection->first.unit)];
    host::MemoryCodeModule& code = *unit.module->Component().Code();
    const std::int32_t line = selection->first.line;
    if (line < unit.lines.first || line > std::min(unit.lines.last, code.CountOfLines())) {
        return FindNext();
    }
    const std::string text = code.Lines(line, 1);
    for (const Hit& hit : finder.In(text, line)) {
        if (!unit.lines.Holds(hit) || hit.column != selection->first.column ||
            hit.column + hit.length != selection->second.column) {
            continue;
        }
        std::string changed = text;
        changed.replace(static_cast<std::size_t>(hit.column - 1),
                        static_cast<std::size_t>(hit.length), *bytes);
        host::UndoHistory& history = *unit.module->history;
        history.CloseStep();
        history.BeginStep("Replace");
        code.ReplaceLine(line, changed);
        history.EndStep();
        history.CloseStep();
        const Hit put{line, hit.column, static_cast<std::int32_t>(bytes->size())};
        Select(unit, put);
        break;
    }
    return FindNext();
}

int FindReplace::ReplaceAll() {
    OpenProject* project = nullptr;
    const std::vector<Unit> units = Units(project);
    if (project == nullptr || units.empty()) {
        Tell(QStringLiteral("There is no code to search."));
        return 0;
    }
    const LineFinder finder(dialog_->Text(), project->codePage);
    if (!finder.Problem().empty()) {
        Tell(QString::fromStdString(finder.Problem()));
        return 0;
    }
    const std::optional<std::string> bytes =
        ReplacementBytes(ToUtf8(dialog_->ReplaceWith()), project->codePage);
    if (!bytes) {
        Tell(QStringLiteral("The replacement cannot be written in code page %1.")
                 .arg(project->codePage));
        return 0;
    }
    // A selection over text that is replaced would hold other text afterwards: the caret
    // stays at its start.
    if (CodeWindow* window = host_.active()) {
        window->SelectionToPane();
        CodePane& pane = window->Component().Code()->CodePane();
        std::int32_t line = 1, column = 1, endLine = 1, endColumn = 1;
        pane.GetSelection(line, column, endLine, endColumn);
        pane.SetSelection(line, column, line, column);
        window->SelectionFromPane();
    }
    if (host_.around) {
        host_.around(true);
    }
    workspace_.BeginCommand("Replace All");
    int replaced = 0;
    for (const Unit& unit : units) {
        replaced +=
            workbench::ReplaceAll(*unit.module->Component().Code(), finder, unit.lines, *bytes);
    }
    workspace_.EndCommand();
    if (host_.around) {
        host_.around(false);
    }
    origin_.reset();
    selected_.reset();
    Tell(replaced == 0 ? QString::fromLatin1(kNotFound)
                       : QStringLiteral("%1 replacement(s) made.").arg(replaced));
    return replaced;
}

}  // namespace brindle::workbench
