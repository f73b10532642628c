#pragma once
// The Find and Replace dialog, as the IDE's: what to find and what to put instead, where
// (the current procedure, module or project), which way, whole words, letter case and the Like
// operator's patterns. Find Next opens the module of the next match and selects it; one
// Replace is one step of its module's history, Replace All one step of the project-wide one.

#include <QDialog>
#include <QString>
#include <compare>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "workbench/ProjectSearch.h"
#include "workbench/Workspace.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QsciScintilla;

namespace brindle::workbench {

class CodeWindow;

enum class SearchScope { Procedure, Module, Project, Selection };
enum class SearchDirection { All, Down, Up };

class FindDialog final : public QDialog {
public:
    explicit FindDialog(QWidget* parent = nullptr);

    // With the Replace With line and the Replace buttons, or without.
    void ShowReplace(bool replace);
    bool Replacing() const { return replacing_; }

    SearchText Text() const;
    QString ReplaceWith() const;
    SearchScope Scope() const;
    SearchDirection Direction() const;
    // The fields set as a user would, for tests and the gallery.
    void Fill(const QString& find, const QString& replace, SearchScope scope, bool matchCase,
              bool wholeWord, bool pattern);
    void SetFindWhat(const QString& text);
    void SetNote(const QString& note);
    // A choice the active window cannot serve is off: without a code window only the project.
    void OfferModuleScopes(bool offer);
    // Selected Text is offered while there is a selection to search, and chosen for one over
    // several lines, as the IDE does.
    void OfferSelection(bool offer, bool choose);

    std::function<void(bool reverse)> onFindNext;
    std::function<void()> onReplace;
    std::function<void()> onReplaceAll;
    std::function<void()> onChanged;  // what or how to search changed

private:
    QComboBox* findWhat_;
    QLabel* replaceLabel_;
    QComboBox* replaceWith_;
    QRadioButton* procedure_;
    QRadioButton* module_;
    QRadioButton* project_;
    QRadioButton* selection_;
    QComboBox* direction_;
    QCheckBox* wholeWord_;
    QCheckBox* matchCase_;
    QCheckBox* pattern_;
    QPushButton* replaceMode_;
    QPushButton* replace_;
    QPushButton* replaceAll_;
    QLabel* note_;
    bool replacing_ = false;
};

// What Find and Replace needs of the main window.
struct FindHost {
    std::function<CodeWindow*()> active;  // the active code window, or null
    std::function<CodeWindow*(host::MemoryComponent&)> open;
    std::function<OpenProject*()> project;      // searched when no code window is active
    std::function<void(bool starting)> around;  // around Replace All, as around a command
    std::function<void(const QString&)> tell;   // the status bar
};

class FindReplace {
public:
    FindReplace(Workspace& workspace, FindHost host, QWidget* parent);
    ~FindReplace();
    FindReplace(const FindReplace&) = delete;
    FindReplace& operator=(const FindReplace&) = delete;

    FindDialog& Dialog() { return *dialog_; }
    // Shows the dialog with the active editor's selection, or the word at its caret.
    void Show(bool replace);
    // The next match in the dialog's direction (`reverse`: the other way) selected in its
    // code window; false when there is none and the user was told why.
    bool FindNext(bool reverse = false);
    // The selected match replaced, then the next one found.
    bool Replace();
    // Every match in the chosen part of the project; how many were replaced.
    int ReplaceAll();
    // What the last search or replacement said.
    QString Note() const { return note_; }

private:
    struct Unit {
        OpenModule* module;
        LineRange lines;
    };
    struct Place {
        std::ptrdiff_t unit = -1;
        std::int32_t line = 0;
        std::int32_t column = 0;
        auto operator<=>(const Place&) const = default;
    };
    struct Found {
        Place place;
        Hit hit;
    };

    std::vector<Unit> Units(OpenProject*& project);
    std::vector<Found> AllHits(const std::vector<Unit>& units, const LineFinder& finder);
    // The active code window's selection in the units, start and end.
    std::optional<std::pair<Place, Place>> Selection(const std::vector<Unit>& units);
    void Select(const Unit& unit, const Hit& hit);
    void KeepClearOf(QsciScintilla& editor);
    void Tell(const QString& note);

    Workspace& workspace_;
    FindHost host_;
    FindDialog* dialog_;
    QString note_;
    // Where a search round of the direction "All" began, and the match it selected last: when
    // the selection is no longer that match, the user moved, and a new round begins.
    std::optional<Place> origin_;
    std::optional<std::pair<const OpenModule*, Hit>> selected_;
    // The text selected when the dialog was shown, which Selected Text searches.
    std::optional<std::pair<OpenModule*, LineRange>> selectedText_;
};

}  // namespace brindle::workbench
