#pragma once
// The workbench's own dialogs: the Add-In Manager, the code page of a project, and the
// question before unsaved modules are closed.

#include <QDialog>
#include <QStringList>

#include "ui/qt/DialogAnswers.h"

class QCheckBox;
class QComboBox;
class QTreeWidget;

namespace brindle::workbench {

// The add-ins the workbench knows, with how each loads: "Loaded" connects or disconnects it
// when OK is pressed, "Load on Startup" connects it when the workbench starts.
class AddInManager final : public QDialog {
public:
    AddInManager(bool loaded, bool loadOnStartup, QWidget* parent = nullptr);
    bool Loaded() const;
    bool LoadOnStartup() const;
    void SetLoaded(bool loaded);
    void SetLoadOnStartup(bool load);

private:
    void ShowBehaviour();

    QTreeWidget* list_;
    QCheckBox* loaded_;
    QCheckBox* onStartup_;
};

// The code page a project's text is shown and typed in.
class CodePageDialog final : public QDialog {
public:
    CodePageDialog(const QString& project, int codePage, QWidget* parent = nullptr);
    int CodePage() const;
    void SetCodePage(int codePage);

private:
    QComboBox* choices_;
};

enum class UnsavedAnswer { Save, Discard, Cancel };

// "Save changes to the following files?" with Save, Discard and Cancel; an answer given in
// advance (Yes saves, No discards, anything else cancels) is taken instead of asking.
UnsavedAnswer AskAboutUnsaved(QWidget* parent, const QStringList& files,
                              ui::qt::DialogAnswers& answers);

}  // namespace brindle::workbench
