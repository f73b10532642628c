#include "workbench/CodeWindow.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciscintilla.h>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <utility>

#include "host/vb6/CodePage.h"
#include "util/Text.h"
#include "workbench/DesignBlock.h"
#include "workbench/EditorText.h"
#include "workbench/VbLexer.h"

namespace brindle::workbench {

using Sci = QsciScintillaBase;

constexpr int kSeparator = 1;  // the marker of a procedure separator

// The editor, with the context menu left to the window's owner.
class CodeEditor final : public QsciScintilla {
public:
    explicit CodeEditor(QWidget* parent) : QsciScintilla(parent) {}

    long Send(unsigned int message, long wParam = 0, long lParam = 0) const {
        return SendScintilla(message, static_cast<unsigned long>(wParam), lParam);
    }
    long SendText(unsigned int message, long wParam, const std::string& text) const {
        return SendScintilla(message, static_cast<uintptr_t>(wParam), text.c_str());
    }
    int Lines() const { return static_cast<int>(Send(Sci::SCI_GETLINECOUNT)); }
    int LineOf(long position) const {
        return static_cast<int>(Send(Sci::SCI_LINEFROMPOSITION, position));
    }
    long LineStart(int line) const { return Send(Sci::SCI_POSITIONFROMLINE, line); }
    long LineEnd(int line) const { return Send(Sci::SCI_GETLINEENDPOSITION, line); }

    std::function<void(QPoint)> onContextMenu;
    std::function<void(int step)> onProcedureStep;
    std::function<void(int line)> onLineEnded;  // Return typed on the line

    // One action of the user's may change the text twice (typing over a selection deletes it,
    // then inserts): the number of the one running, 0 between them.
    std::uint64_t Action() const { return action_; }

    void paste() override {
        Act([this] { QsciScintilla::paste(); });
    }

    // The selection scrolled into view, its start first when it is on one line; and the view
    // back at the left edge when the selection fits there, since the editor also scrolls to a
    // caret placed before it has its width and keeps that offset once it has.
    void ShowSelection() {
        const long anchor = Send(Sci::SCI_GETANCHOR);
        const long caret = Send(Sci::SCI_GETCURRENTPOS);
        if (LineOf(anchor) == LineOf(caret)) {
            Send(Sci::SCI_SCROLLRANGE, std::max(anchor, caret), std::min(anchor, caret));
        }
        UnscrollIfFits();
    }
    void UnscrollIfFits() {
        const long offset = Send(Sci::SCI_GETXOFFSET);
        if (offset == 0) {
            return;
        }
        const auto x = [this](long position) {
            return Send(Sci::SCI_POINTXFROMPOSITION, 0, position);
        };
        const long caret = Send(Sci::SCI_GETCURRENTPOS);
        const long anchor = Send(Sci::SCI_GETANCHOR);
        const long left = x(LineStart(LineOf(caret)));
        const long right = std::max(x(caret) - left, x(anchor) - x(LineStart(LineOf(anchor))));
        const long room = viewport()->width() - (left + offset);
        if (right + SendScintilla(Sci::SCI_TEXTWIDTH, Sci::STYLE_DEFAULT, "MM") < room) {
            Send(Sci::SCI_SETXOFFSET, 0);
        }
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QsciScintilla::resizeEvent(event);
        UnscrollIfFits();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        if (onContextMenu) {
            onContextMenu(event->globalPos());
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->modifiers() == Qt::ControlModifier &&
            (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && onProcedureStep) {
            onProcedureStep(event->key() == Qt::Key_Up ? -1 : 1);
            return;
        }
        const bool ending = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                            event->modifiers() == Qt::NoModifier && !isReadOnly();
        const int line = LineOf(Send(Sci::SCI_GETCURRENTPOS));
        Act([&] { QsciScintilla::keyPressEvent(event); });
        if (ending && onLineEnded) {
            onLineEnded(line);
        }
    }
    void inputMethodEvent(QInputMethodEvent* event) override {
        Act([&] { QsciScintilla::inputMethodEvent(event); });
    }
    void dropEvent(QDropEvent* event) override {
        Act([&] { QsciScintilla::dropEvent(event); });
    }

private:
    template <class Work>
    void Act(Work work) {
        if (action_ != 0) {
            work();
            return;
        }
        action_ = ++actions_;
        work();
        action_ = 0;
    }

    std::uint64_t action_ = 0;
    std::uint64_t actions_ = 0;
};

namespace {

constexpr const char* kGeneral = "(General)";
constexpr const char* kDeclarations = "(Declarations)";

// The object a component's own events are named after.
std::string OwnObject(vbext_ComponentType type) {
    switch (type) {
        case vbext_ct_VBForm:
            return "Form";
        case vbext_ct_VBMDIForm:
            return "MDIForm";
        case vbext_ct_ClassModule:
            return "Class";
        case vbext_ct_UserControl:
            return "UserControl";
        case vbext_ct_PropPage:
            return "PropertyPage";
        case vbext_ct_DocObject:
            return "UserDocument";
        default:
            return {};
    }
}

bool StartsWithObject(const std::string& procedure, const std::string& object) {
    if (procedure.size() <= object.size() + 1 || procedure[object.size()] != '_') {
        return false;
    }
    return EqualsNoCase(std::string_view(procedure).substr(0, object.size()), object);
}

// The object a procedure belongs to by its name (the longest that fits), 0 for (General).
std::size_t ObjectOf(const std::vector<std::string>& objects, const std::string& name) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < objects.size(); ++i) {
        if (StartsWithObject(name, objects[i]) &&
            (best == 0 || objects[i].size() > objects[best].size())) {
            best = i;
        }
    }
    return best;
}

// The variables the module declares WithEvents, whose event procedures are named after them.
std::vector<std::string> EventVariables(host::MemoryCodeModule& module) {
    std::vector<std::string> names;
    for (const host::DeclaredMember& member : module.DeclaredMembers()) {
        if (member.type != vbext_mt_Variable) {
            continue;
        }
        const std::string line = module.Lines(member.line, 1);
        const std::vector<std::string_view> words = BlankSeparatedWords(line);
        for (std::size_t i = 1; i < words.size(); ++i) {
            if (EqualsNoCase(words[i - 1], "WithEvents") &&
                EqualsNoCase(words[i].substr(0, member.name.size()), member.name)) {
                names.push_back(member.name);
                break;
            }
        }
    }
    return names;
}

}  // namespace

QString KindSuffix(vbext_ProcKind kind) {
    switch (kind) {
        case vbext_pk_Get:
            return QStringLiteral(" [Get]");
        case vbext_pk_Let:
            return QStringLiteral(" [Let]");
        case vbext_pk_Set:
            return QStringLiteral(" [Set]");
        case vbext_pk_Proc:
            break;
    }
    return {};
}

CodeWindow::CodeWindow(host::MemoryComponent& component, host::UndoHistory& history, int codePage,
                       QWidget* parent)
    : QWidget(parent),
      component_(component),
      module_(*component.Code()),
      history_(history),
      codePage_(codePage),
      editor_(new CodeEditor(this)),
      objects_(new QComboBox(this)),
      procedures_(new QComboBox(this)),
      caretTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("codeWindow"));
    setWindowTitle(QString::fromStdString(host::ToUtf8(component.Name(), codePage)) + " (Code)");
    objects_->setObjectName(QStringLiteral("cboObjects"));
    procedures_->setObjectName(QStringLiteral("cboProcedures"));
    editor_->setObjectName(QStringLiteral("codeEditor"));

    editor_->setUtf8(true);
    editor_->setEolMode(QsciScintilla::EolUnix);
    editor_->Send(Sci::SCI_SETPASTECONVERTENDINGS, 1);
    editor_->Send(Sci::SCI_SETUNDOCOLLECTION, 0);  // the module's history undoes
    // The IDE's keys: Ctrl+Up and Ctrl+Down go to the procedure before and after, Ctrl+Y cuts
    // the line; the module's history undoes.
    for (QsciCommand::Command command : {QsciCommand::Undo, QsciCommand::Redo,
                                         QsciCommand::LineScrollUp, QsciCommand::LineScrollDown}) {
        QsciCommand* bound = editor_->standardCommands()->find(command);
        bound->setKey(0);
        bound->setAlternateKey(0);
    }
    editor_->standardCommands()
        ->find(QsciCommand::LineCut)
        ->setKey(QKeyCombination(Qt::CTRL, Qt::Key_Y).toCombined());
    editor_->onProcedureStep = [this](int step) { GoToProcedure(step); };
    editor_->onLineEnded = [this](int line) { CloseProcedure(line + 1); };
    editor_->setLexer(new VbLexer(editor_));
    editor_->setMarginType(0, QsciScintilla::NumberMargin);
    editor_->setMarginLineNumbers(0, true);
    editor_->setMarginsForegroundColor(QColor(0x60, 0x60, 0x60));
    editor_->setMarginsBackgroundColor(QColor(0xf0, 0xf0, 0xf0));
    editor_->setMarginWidth(1, 4);
    editor_->setCaretLineVisible(true);
    editor_->setCaretLineBackgroundColor(QColor(0xf4, 0xf7, 0xff));
    editor_->setTabWidth(4);
    editor_->setIndentationsUseTabs(false);
    editor_->setAutoIndent(true);
    editor_->setBraceMatching(QsciScintilla::NoBraceMatch);
    editor_->setWrapMode(QsciScintilla::WrapNone);
    editor_->markerDefine(QsciScintilla::Underline, kSeparator);
    editor_->setMarkerBackgroundColor(QColor(0x90, 0x90, 0x90), kSeparator);
    editor_->setSelectionBackgroundColor(QColor(0x33, 0x66, 0xcc));
    editor_->setSelectionForegroundColor(Qt::white);
    editor_->onContextMenu = [this](QPoint at) {
        if (onContextMenu) {
            onContextMenu(at);
        }
    };

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 2);
    bar->addWidget(objects_, 1);
    bar->addWidget(procedures_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(editor_, 1);

    SetCodePage(codePage);
    module_.AddListener(*this);

    caretTimer_->setSingleShot(true);
    caretTimer_->setInterval(120);
    connect(caretTimer_, &QTimer::timeout, this, [this] { ShowCaretPlace(); });
    connect(editor_, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int, int linesAdded, int, int, int, int,
                   int) { EditorModified(position, type, linesAdded); });
    connect(editor_, &QsciScintilla::selectionChanged, this, [this] { SelectionToPane(); });
    connect(editor_, &QsciScintilla::cursorPositionChanged, this, [this](int line) {
        SelectionToPane();
        caretTimer_->start();
        if (editedLine_ >= 0 && line != editedLine_ && !applying_ && !frozen_) {
            // Not while the editor is telling of its change.
            QTimer::singleShot(0, this,
                               [this, left = std::exchange(editedLine_, -1)] { RecaseLine(left); });
        }
    });
    connect(objects_, &QComboBox::activated, this, [this](int index) { ObjectChosen(index); });
    connect(procedures_, &QComboBox::activated, this,
            [this](int index) { ProcedureChosen(index); });
    FillCombos();
    ShowCaretPlace();
}

CodeWindow::~CodeWindow() {
    module_.RemoveListener(*this);
}

QsciScintilla& CodeWindow::Editor() const {
    return *editor_;
}

void CodeWindow::SetCodePage(int codePage) {
    codePage_ = codePage;
    const QSignalBlocker blocker(editor_);
    applying_ = true;
    const std::string text = DisplayLines(module_, codePage_, 1, module_.CountOfLines(), false);
    editor_->SendText(Sci::SCI_SETTEXT, 0, text);
    applying_ = false;
    editor_->setMarginWidth(0, QString(QString::number(editor_->Lines()).size() + 1, '9'));
    procsVersion_ = ~std::uint64_t{0};
    SelectionFromPane();
}

// ---- The editor's changes into the module ----

std::string CodeWindow::EditorLine(int line) const {
    const long start = editor_->LineStart(line);
    const long end = editor_->LineEnd(line);
    const QByteArray bytes = editor_->bytes(static_cast<int>(start), static_cast<int>(end));
    return std::string(bytes.constData(), static_cast<std::size_t>(end - start));
}

// The editor's lines `first` .. `first` + `count` - 1 in the module's code page, joined by
// `separator`. A character the code page lacks becomes "?", and the user is told.
std::string CodeWindow::EncodedLines(int first, int count, const char* separator) {
    std::string text;
    for (int line = first; line < first + count; ++line) {
        bool lossy = false;
        if (line > first) {
            text += separator;
        }
        text += Encode(EditorLine(line), codePage_, lossy);
        if (lossy) {
            if (onWarning) {
                onWarning(QStringLiteral("line %1: a character that code page %2 cannot hold "
                                         "was written as \"?\"")
                              .arg(line + 1)
                              .arg(codePage_));
            }
            QTimer::singleShot(0, this, [this, line] { RefreshLine(line + 1); });
        }
    }
    return text;
}

// An edit of the user's runs on into the step of the one before while it goes on where that
// one ended, in the same direction.
void CodeWindow::StartStep(bool deleting, int line, int lastLine) {
    const std::uint64_t action = editor_->Action();
    const bool sameAction = action != 0 && action == lastAction_;
    lastAction_ = action;
    if (!sameAction &&
        (deleting != lastDeleting_ || (line != lastLine_ && line != lastLine_ + 1))) {
        history_.CloseStep();
    }
    lastDeleting_ = deleting;
    lastLine_ = lastLine;
}

void CodeWindow::EditorModified(int position, int type, int linesAdded) {
    if (applying_ || (type & (Sci::SC_MOD_INSERTTEXT | Sci::SC_MOD_DELETETEXT)) == 0) {
        return;
    }
    const int line = editor_->LineOf(position);
    editedLine_ = line;
    pushing_ = true;
    const bool done = IgnoreStep(sink, [&] {
        if ((type & Sci::SC_MOD_INSERTTEXT) != 0) {
            StartStep(false, line, line + linesAdded);
            InsertedInEditor(line, linesAdded);
        } else {
            StartStep(true, line, line);
            DeletedInEditor(line, -linesAdded);
        }
    });
    pushing_ = false;
    if (!done) {
        // The module is the truth: the editor shows it again (not while Scintilla is telling).
        QTimer::singleShot(0, this, [this] { SetCodePage(codePage_); });
    }
    if (onEdited) {
        onEdited();
    }
}

// Editor lines `line` .. `line` + `linesAdded` now stand for module line `line` + 1. The
// module line that kept its text whole stays as it was, with its attribute lines.
void CodeWindow::InsertedInEditor(int line, int linesAdded) {
    const std::int32_t at = line + 1;
    if (module_.CountOfLines() == 0) {
        module_.InsertLines(1, EncodedLines(0, linesAdded + 1, "\r\n"));
        return;
    }
    const std::string old = module_.Lines(at, 1);
    if (linesAdded > 0 &&
        EditorLine(line + linesAdded) == DisplayLines(module_, codePage_, at, 1, false)) {
        module_.InsertLines(at, EncodedLines(line, linesAdded, "\r\n"));
        return;
    }
    const std::string first = EncodedLines(line, 1, "");
    if (first != old) {
        module_.ReplaceLine(at, first);
    }
    if (linesAdded > 0) {
        module_.InsertLines(at + 1, EncodedLines(line + 1, linesAdded, "\r\n"));
    }
}

// Module lines `line` + 1 .. `line` + 1 + `linesRemoved` became editor line `line`.
void CodeWindow::DeletedInEditor(int line, int linesRemoved) {
    const std::int32_t at = line + 1;
    if (module_.CountOfLines() == 0) {
        return;
    }
    const std::string merged = EditorLine(line);
    if (linesRemoved > 0 &&
        merged == DisplayLines(module_, codePage_, at + linesRemoved, 1, false) &&
        merged != DisplayLines(module_, codePage_, at, 1, false)) {
        module_.DeleteLines(at, linesRemoved);
        return;
    }
    const std::string text = EncodedLines(line, 1, "");
    if (text != module_.Lines(at, 1)) {
        module_.ReplaceLine(at, text);
    }
    if (linesRemoved > 0) {
        module_.DeleteLines(at + 1, linesRemoved);
    }
}

// ---- The module's changes into the editor ----

void CodeWindow::LinesChanged(std::int32_t first, const std::vector<host::CodeLine>& removed,
                              std::int32_t added) {
    if (pushing_) {
        return;
    }
    const auto removedCount = static_cast<std::int32_t>(removed.size());
    if (frozen_) {
        Pending& p = pending_;
        if (p.first == 0) {
            p = {first, first + removedCount, first + removedCount};
        }
        // Both ends in the module's numbering before this change, then after it.
        const std::int32_t end = std::max(p.newEnd, first + removedCount);
        p.oldEnd = end - (p.newEnd - p.oldEnd);
        p.first = std::min(p.first, first);
        p.newEnd = end + added - removedCount;
    } else {
        ReplaceEditorLines(first, removedCount, added,
                           module_.CountOfLines() - added + removedCount);
    }
    caretTimer_->start();
    if (onEdited) {
        onEdited();
    }
}

// Puts module lines `first` .. `first` + `added` - 1 in place of the `removed` editor lines
// from `first` on; the module had `countBefore` lines, the editor as many (or one empty line).
void CodeWindow::ReplaceEditorLines(std::int32_t first, std::int32_t removed, std::int32_t added,
                                    std::int32_t countBefore) {
    const int index = first - 1;
    long start = 0;
    long end = editor_->Send(Sci::SCI_GETLENGTH);
    std::string text;
    if (countBefore == 0) {
        text = DisplayLines(module_, codePage_, first, added, false);
    } else if (index + removed < countBefore) {
        start = editor_->LineStart(index);
        end = editor_->LineStart(index + removed);
        text = DisplayLines(module_, codePage_, first, added, true);
    } else if (index > 0) {
        start = editor_->LineEnd(index - 1);
        if (added > 0) {
            text = '\n';
            text += DisplayLines(module_, codePage_, first, added, false);
        }
    } else {
        text = DisplayLines(module_, codePage_, first, added, false);
    }
    applying_ = true;
    editor_->Send(Sci::SCI_SETTARGETRANGE, start, end);
    editor_->SendScintilla(Sci::SCI_REPLACETARGET, static_cast<unsigned long>(text.size()),
                           text.c_str());
    applying_ = false;
}

void CodeWindow::Freeze(bool frozen) {
    frozen_ = frozen;
    editor_->setReadOnly(frozen);
    if (frozen) {
        editedLine_ = -1;  // the command moves the lines
        const int row = CaretLine() - editor_->firstVisibleLine();
        caretRow_ = row >= 0 && row < editor_->Send(Sci::SCI_LINESONSCREEN) ? row : -1;
    }
    if (frozen || pending_.first == 0) {
        return;
    }
    const Pending p = std::exchange(pending_, {});
    const int top = editor_->firstVisibleLine();
    ReplaceEditorLines(p.first, p.oldEnd - p.first, p.newEnd - p.first,
                       module_.CountOfLines() - (p.newEnd - p.oldEnd));
    editor_->setFirstVisibleLine(top);
}

void CodeWindow::Thaw() {
    Freeze(false);
    SelectionFromPane();
    if (caretRow_ >= 0) {
        editor_->setFirstVisibleLine(std::max(0, CaretLine() - caretRow_));
    }
}

int CodeWindow::CaretLine() const {
    return editor_->LineOf(editor_->Send(Sci::SCI_GETCURRENTPOS));
}

void CodeWindow::RefreshLine(std::int32_t line) {
    if (line >= 1 && line <= module_.CountOfLines()) {
        ReplaceEditorLines(line, 1, 1, module_.CountOfLines());
    }
}

// ---- Selection ----

void CodeWindow::SelectionToPane() {
    if (selecting_ || applying_ || frozen_) {
        return;
    }
    const auto place = [this](long position) {
        const int line = editor_->LineOf(position);
        const auto offset = static_cast<std::int32_t>(position - editor_->LineStart(line));
        const std::int32_t column =
            module_.CountOfLines() == 0 ? 1 : ModuleColumn(EditorLine(line), offset, codePage_);
        return std::pair<std::int32_t, std::int32_t>(line + 1, column);
    };
    IgnoreStep(sink, [&] {
        const auto [anchorLine, anchorColumn] = place(editor_->Send(Sci::SCI_GETANCHOR));
        const auto [caretLine, caretColumn] = place(editor_->Send(Sci::SCI_GETCURRENTPOS));
        module_.CodePane().SetSelection(anchorLine, anchorColumn, caretLine, caretColumn);
    });
}

void CodeWindow::SelectionFromPane() {
    std::int32_t startLine = 1, startColumn = 1, endLine = 1, endColumn = 1;
    module_.CodePane().GetSelection(startLine, startColumn, endLine, endColumn);
    const auto position = [this](std::int32_t line, std::int32_t column) -> long {
        if (line < 1) {
            return 0;
        }
        if (line > module_.CountOfLines()) {
            return editor_->Send(Sci::SCI_GETLENGTH);
        }
        const long start = editor_->LineStart(line - 1);
        const long length = editor_->LineEnd(line - 1) - start;
        return start +
               std::min<long>(length, Utf8Offset(module_.Lines(line, 1), column, codePage_));
    };
    selecting_ = true;
    editor_->Send(Sci::SCI_SETSEL, position(startLine, startColumn), position(endLine, endColumn));
    editor_->ShowSelection();
    selecting_ = false;
}

// ---- Undo, places ----

bool CodeWindow::Undo() {
    return Replay(&host::UndoHistory::Undo);
}

bool CodeWindow::Redo() {
    return Replay(&host::UndoHistory::Redo);
}

// The history's step comes into the editor in one change, and the caret goes to its place.
bool CodeWindow::Replay(std::int32_t (host::UndoHistory::*apply)()) {
    editedLine_ = -1;
    lastLine_ = -1;
    lastAction_ = 0;
    Freeze(true);
    const std::int32_t line = (history_.*apply)();
    Freeze(false);
    if (line > 0) {
        GoToLine(line);
    }
    return line > 0;
}

void CodeWindow::GoToLine(std::int32_t line) {
    const int index = std::clamp(line - 1, 0, editor_->Lines() - 1);
    editor_->setCursorPosition(index, 0);
    editor_->Send(Sci::SCI_ENSUREVISIBLE, index);
    editor_->setFirstVisibleLine(std::max(0, index - 3));
    history_.CloseStep();
}

// The declaration of the procedure after the caret's line, or (`step` -1) before it.
void CodeWindow::GoToProcedure(int step) {
    const std::int32_t caret = CaretLine() + 1;
    std::int32_t to = 0;
    for (const host::ProcedureInfo& info : module_.Procedures()) {
        const std::int32_t body = info.procedure.bodyLine;
        if (step > 0 && body > caret) {
            to = body;
            break;
        }
        if (step < 0 && body < caret) {
            to = body;
        }
    }
    if (to != 0) {
        GoToLine(to);
    }
}

// A procedure's declaration just typed, with no End statement, gets one below the new line, and
// "()" when it has no parameter list, as the IDE writes them.
void CodeWindow::CloseProcedure(std::int32_t line) {
    for (const host::ProcedureInfo& info : module_.Procedures()) {
        const host::Procedure& p = info.procedure;
        if (p.bodyLine != line || p.declLastLine != line || p.endLine != 0 ||
            line + 1 > module_.CountOfLines()) {
            continue;
        }
        const std::string text = module_.Lines(line, 1);
        if (text.find_first_of("('") == std::string::npos) {
            module_.ReplaceLine(line, text + "()");
        }
        const std::string indent = text.substr(0, text.find_first_not_of(" \t"));
        module_.InsertLines(line + 2, indent + "End " + std::string(host::KeywordText(p.keyword)));
        editor_->Send(Sci::SCI_GOTOPOS, editor_->LineEnd(line));  // the new line, between them
        return;
    }
}

// A line the user edited and left: its keywords and the names this module declares take the
// letter case the IDE gives them. Only ASCII letters change, so the bytes stay the code page's.
void CodeWindow::RecaseLine(int line) {
    if (line < 0 || line >= editor_->Lines() || line >= module_.CountOfLines()) {
        return;
    }
    std::map<std::string, std::string, std::less<>> names;
    for (const host::ProcedureInfo& info : module_.Procedures()) {
        names.emplace(LowerAscii(info.procedure.name), info.procedure.name);
    }
    for (const host::DeclaredMember& member : module_.DeclaredMembers()) {
        names.emplace(LowerAscii(member.name), member.name);
    }
    // A comment that the lines above carry on with their continuations goes on here.
    int first = line;
    while (first > 0 && TrimTrailingBlanks(EditorLine(first - 1)).ends_with('_')) {
        --first;
    }
    bool inComment = false;
    for (int above = first; above < line; ++above) {
        StyleLine(EditorLine(above), inComment);
    }
    const std::string text = EditorLine(line);
    const std::string recased = RecasedLine(text, names, inComment);
    if (recased != text) {
        bool lossy = false;
        module_.ReplaceLine(line + 1, Encode(recased, codePage_, lossy));
    }
}

// ---- The two drop-downs ----

void CodeWindow::FillCombos() {
    objectNames_ = {kGeneral};
    const std::string own = OwnObject(component_.Type());
    if (!own.empty()) {
        objectNames_.push_back(own);
    }
    std::vector<std::string> objects = EventVariables(module_);
    if (const auto block = ReadDesignBlock(component_.Layout())) {
        std::vector<std::string> controls = ControlNames(block->root);
        objects.insert(objects.end(), controls.begin() + 1,  // the root goes by its type's name
                       controls.end());
    }
    std::sort(objects.begin(), objects.end());
    objects.erase(std::unique(objects.begin(), objects.end()), objects.end());
    objectNames_.insert(objectNames_.end(), objects.begin(), objects.end());
    const QSignalBlocker blocker(objects_);
    objects_->clear();
    for (const std::string& name : objectNames_) {
        objects_->addItem(QString::fromStdString(host::ToUtf8(name, codePage_)));
    }
}

void CodeWindow::FillProcedures() {
    if (procsVersion_ == module_.Version()) {
        return;
    }
    procsVersion_ = module_.Version();
    procs_.clear();
    editor_->Send(Sci::SCI_MARKERDELETEALL, kSeparator);
    for (const host::ProcedureInfo& info : module_.Procedures()) {
        procs_.push_back({info.procedure.name, info.procedure.kind, info.procedure.bodyLine});
        // The IDE's procedure separator: a line above each procedure's first line.
        if (info.procedure.startLine >= 2) {
            editor_->Send(Sci::SCI_MARKERADD, info.procedure.startLine - 2, kSeparator);
        }
    }
}

void CodeWindow::ShowCaretPlace() {
    FillProcedures();
    int line = 0;
    int index = 0;
    editor_->getCursorPosition(&line, &index);
    vbext_ProcKind kind = vbext_pk_Proc;
    std::string name;
    if (line + 1 <= module_.CountOfLines()) {
        name = module_.ProcOfLine(line + 1, kind);
    }
    const std::size_t object = name.empty() ? 0 : ObjectOf(objectNames_, name);
    choosing_ = true;
    objects_->setCurrentIndex(static_cast<int>(object));
    ObjectChosen(-1);
    for (int i = 0; i < procedures_->count(); ++i) {
        const int proc = procedures_->itemData(i).toInt();
        if (proc >= 0 && procs_[static_cast<std::size_t>(proc)].name == name &&
            procs_[static_cast<std::size_t>(proc)].kind == kind) {
            procedures_->setCurrentIndex(i);
        }
    }
    choosing_ = false;
}

// Fills the procedures of the chosen object; a choice of the user's moves to its first one.
void CodeWindow::ObjectChosen(int index) {
    FillProcedures();
    const auto object = static_cast<std::size_t>(std::max(objects_->currentIndex(), 0));
    const QSignalBlocker blocker(procedures_);
    procedures_->clear();
    if (object == 0) {
        procedures_->addItem(QString::fromLatin1(kDeclarations), -1);
    }
    std::vector<std::pair<QString, int>> entries;
    for (std::size_t i = 0; i < procs_.size(); ++i) {
        if (ObjectOf(objectNames_, procs_[i].name) != object) {
            continue;
        }
        std::string shown = procs_[i].name;
        if (object != 0) {
            shown = shown.substr(objectNames_[object].size() + 1);
        }
        entries.emplace_back(
            QString::fromStdString(host::ToUtf8(shown, codePage_)) + KindSuffix(procs_[i].kind),
            static_cast<int>(i));
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
    });
    for (const auto& [text, proc] : entries) {
        procedures_->addItem(text, proc);
    }
    if (index >= 0 && !choosing_ && procedures_->count() > 0) {
        ProcedureChosen(0);
    }
}

void CodeWindow::ProcedureChosen(int index) {
    const int proc = procedures_->itemData(index).toInt();
    const std::int32_t line = proc < 0 ? 1 : procs_[static_cast<std::size_t>(proc)].line;
    GoToLine(line);
    editor_->setFocus();
}

}  // namespace brindle::workbench
