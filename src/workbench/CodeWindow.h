#pragma once
// A code window: a view of one code module. What the module holds is what the editor shows,
// line for line; what the user types reaches the module at once, one line's bytes at a time;
// the editor's selection is the module's code pane's selection. Above the text, the IDE's two
// drop-downs: the objects of the module and the procedures of the chosen one.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "host/ide/MemoryProject.h"
#include "host/ide/UndoHistory.h"
#include "model/Diagnostics.h"

class QComboBox;
class QTimer;
class QsciScintilla;

namespace brindle::workbench {

class CodeEditor;

// How a property's Get, Let and Set are told apart after its name: " [Get]".
QString KindSuffix(vbext_ProcKind kind);

class CodeWindow final : public QWidget, private host::LineListener {
public:
    CodeWindow(host::MemoryComponent& component, host::UndoHistory& history, int codePage,
               QWidget* parent = nullptr);
    ~CodeWindow() override;
    CodeWindow(const CodeWindow&) = delete;
    CodeWindow& operator=(const CodeWindow&) = delete;

    host::MemoryComponent& Component() const { return component_; }
    QsciScintilla& Editor() const;

    // The editor's selection into the module's code pane, and back.
    void SelectionToPane();
    void SelectionFromPane();
    // While an add-in command runs the pane's selection is the add-in's, and the editor, read
    // only, shows the module's changes all at once when the command is over: many edits of a
    // large module cost one change of the editor's text.
    void Freeze(bool frozen);
    // After a command: Freeze(false), the pane's selection shown, and the caret's line at the
    // height on the screen it had before.
    void Thaw();

    // Shows the module's lines decoded from another code page.
    void SetCodePage(int codePage);

    // Through the module's history; false when there was nothing to do.
    bool Undo();
    bool Redo();
    host::UndoHistory& History() { return history_; }

    // Puts the caret at the start of a line of the module (1-based) and shows it.
    void GoToLine(std::int32_t line);
    // The caret to the declaration of the next procedure (`step` 1) or the one before (-1).
    void GoToProcedure(int step);
    void CloseProcedure(std::int32_t line);
    void RecaseLine(int line);

    // The combo boxes' entries as they are shown now.
    QComboBox& Objects() const { return *objects_; }
    QComboBox& Procedures() const { return *procedures_; }

    // The main window's part: the context menu at a place on the screen, a warning about text
    // the module's code page cannot hold, and the module changed by any means.
    std::function<void(QPoint)> onContextMenu;
    std::function<void(const QString&)> onWarning;
    std::function<void()> onEdited;
    // Where a failure to carry the editor's change into the module goes; the editor then
    // shows the module again.
    Diagnostics* sink = nullptr;

private:
    struct ProcEntry {
        std::string name;
        vbext_ProcKind kind;
        std::int32_t line;
    };

    void LinesChanged(std::int32_t first, const std::vector<host::CodeLine>& removed,
                      std::int32_t added) override;
    void EditorModified(int position, int type, int linesAdded);
    void InsertedInEditor(int line, int linesAdded);
    void DeletedInEditor(int line, int linesRemoved);
    void ReplaceEditorLines(std::int32_t first, std::int32_t removed, std::int32_t added,
                            std::int32_t countBefore);
    void RefreshLine(std::int32_t line);
    int CaretLine() const;
    std::string EditorLine(int line) const;
    std::string EncodedLines(int first, int count, const char* separator);
    void StartStep(bool deleting, int line, int lastLine);
    bool Replay(std::int32_t (host::UndoHistory::*apply)());

    void FillCombos();
    void FillProcedures();
    void ShowCaretPlace();
    void ProcedureChosen(int index);
    void ObjectChosen(int index);

    host::MemoryComponent& component_;
    host::MemoryCodeModule& module_;
    host::UndoHistory& history_;
    int codePage_;
    CodeEditor* editor_;
    QComboBox* objects_;
    QComboBox* procedures_;
    QTimer* caretTimer_;

    std::vector<std::string> objectNames_;  // as the module's bytes; the first is "(General)"
    std::vector<ProcEntry> procs_;          // of the module, in module order
    std::uint64_t procsVersion_ = ~std::uint64_t{0};
    bool applying_ = false;   // the module's change is being shown in the editor
    bool pushing_ = false;    // the editor's change is being made in the module
    bool selecting_ = false;  // the pane's selection is being shown in the editor
    bool choosing_ = false;   // the combo boxes are being filled
    bool frozen_ = false;
    // The lines changed while frozen: from `first`, up to `oldEnd` as the editor has them and
    // up to `newEnd` as the module has them (both one past); no change when first is 0.
    struct Pending {
        std::int32_t first = 0;
        std::int32_t oldEnd = 0;
        std::int32_t newEnd = 0;
    } pending_;
    bool lastDeleting_ = false;
    int lastLine_ = -1;
    int editedLine_ = -1;  // the line the user edited last, until the caret leaves it
    int caretRow_ = -1;    // the caret's line on the screen when frozen; -1 when it was off it
    std::uint64_t lastAction_ = 0;  // the editor's action the last edit belonged to
};

}  // namespace brindle::workbench
