#pragma once
// The output window, docked at the bottom like the IDE's Immediate window: every failure the
// add-in ignored, with its source chain and the module it concerns, every warning about what a
// command left as it was, and the workbench's own problems with files. So no failure goes
// unseen.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Diagnostics.h"

class QTreeWidget;

namespace brindle::workbench {

class OutputWindow final : public QWidget, public Diagnostics {
public:
    explicit OutputWindow(QWidget* parent = nullptr);

    // The modules that the coming status messages concern, one per message in order; what
    // is reported after the i-th message concerns the i-th of them.
    void Expect(std::vector<std::string> modules);
    // A status message of the add-in's.
    void Status(std::string_view message);

    void Report(const VbError& failure) override;
    void Warn(std::string_view module, std::string_view text) override;
    // A problem of the workbench's own: a file it could not open or save.
    void Problem(std::string_view subject, std::string_view text);
    // What went well, for the record.
    void Note(std::string_view text);

    // Every entry as one line of text: "kind | module | text | source".
    QStringList Entries() const;

    // Told of each failure, warning and problem in one short line, for the status bar.
    std::function<void(const QString&)> onTrouble;
    // A double-click on an entry about this module (its name as shown).
    std::function<void(const QString& module)> onOpen;

private:
    void Add(const QString& kind, const QString& module, const QString& text,
             const QString& source);

    QTreeWidget* list_;
    std::vector<std::string> expected_;
    std::size_t messages_ = 0;
    std::string current_;
};

}  // namespace brindle::workbench
