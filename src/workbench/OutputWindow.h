#pragma once
// The output window, docked at the bottom like the IDE's Immediate window: every failure the
// add-in ignored, with its source chain and the module it concerns, every warning about what a
// command left as it was, and the workbench's own problems with files. So no failure goes
// unseen.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "host/session/Summary.h"
#include "model/Diagnostics.h"

class QTreeWidget;

namespace brindle::host {
class MemoryComponent;
}

namespace brindle::workbench {

class OutputWindow final : public QWidget, public Diagnostics {
public:
    explicit OutputWindow(QWidget* parent = nullptr);

    // The modules that the coming status messages concern, one per message in order; what
    // is reported after the i-th message concerns the i-th of them. The work told from now
    // on is counted for Summarize.
    void Expect(std::vector<const host::MemoryComponent*> modules);
    // A status message of the add-in's.
    void Status(std::string_view message);
    // What the command since Expect did, as the command line sums it up; nothing when it did
    // nothing, unless `always` and it went through some module.
    void Summarize(bool always);

    void Report(const VbError& failure) override;
    void Warn(std::string_view module, std::string_view text) override;
    void WarnAt(std::string_view module, const CodePlace& place, std::string_view text) override;
    void Did(Work work) override;
    // A problem of the workbench's own: a file it could not open or save.
    void Problem(std::string_view subject, std::string_view text);
    // What went well, for the record.
    void Note(std::string_view text);

    // Every entry as one line of text: "kind | module | text | source".
    QStringList Entries() const;
    // Acts as a double-click on the entry.
    void Activate(int entry);

    // Told of each failure, warning and problem in one short line, for the status bar.
    std::function<void(const QString&)> onTrouble;
    // A double-click on an entry about a module: the component when it is known (it may be
    // gone since), its name as shown, and the line of its code told, 0 when none was.
    std::function<void(const host::MemoryComponent* component, const QString& module, int line)>
        onOpen;

private:
    struct Concerned {
        const host::MemoryComponent* component = nullptr;
        QString name;
    };
    void Add(const QString& kind, const Concerned& module, const QString& text,
             const QString& source, int line = 0);
    Concerned Named(std::string_view module) const;

    QTreeWidget* list_;
    std::vector<Concerned> expected_;
    std::size_t messages_ = 0;
    Concerned current_;
    host::Tally tally_;
    std::set<const host::MemoryComponent*> changed_;
};

}  // namespace brindle::workbench
