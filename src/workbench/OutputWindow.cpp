#include "workbench/OutputWindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <QTime>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

#include "host/ide/MemoryProject.h"
#include "host/vb6/CodePage.h"
#include "ui/qt/QtText.h"

namespace brindle::workbench {
namespace {

using ui::qt::ToQString;

enum Column { kTime, kKind, kModule, kText, kSource, kColumns };
// What a module's entry keeps beside the name shown: the component and the line.
constexpr int kEntryComponentRole = Qt::UserRole;
constexpr int kEntryLineRole = Qt::UserRole + 1;

}  // namespace

OutputWindow::OutputWindow(QWidget* parent) : QWidget(parent), list_(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("outputWindow"));
    list_->setObjectName(QStringLiteral("outputList"));
    list_->setColumnCount(kColumns);
    list_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Kind"),
                            QStringLiteral("Module"), QStringLiteral("Message"),
                            QStringLiteral("Source")});
    list_->setRootIsDecorated(false);
    list_->setAlternatingRowColors(true);
    list_->setUniformRowHeights(true);
    list_->setWordWrap(false);
    list_->header()->setStretchLastSection(true);
    list_->header()->setSectionResizeMode(kText, QHeaderView::Interactive);
    list_->setColumnWidth(kTime, 70);
    list_->setColumnWidth(kKind, 80);
    list_->setColumnWidth(kModule, 150);
    list_->setColumnWidth(kText, 520);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    setFocusProxy(list_);
    connect(list_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { Activate(list_->indexOfTopLevelItem(item)); });
}

void OutputWindow::Activate(int entry) {
    const QTreeWidgetItem* item = list_->topLevelItem(entry);
    if (onOpen && item != nullptr && !item->text(kModule).isEmpty()) {
        onOpen(reinterpret_cast<const host::MemoryComponent*>(
                   item->data(kModule, kEntryComponentRole).value<quintptr>()),
               item->text(kModule), item->data(kModule, kEntryLineRole).toInt());
    }
}

void OutputWindow::Expect(std::vector<const host::MemoryComponent*> modules) {
    expected_.clear();
    for (const host::MemoryComponent* component : modules) {
        expected_.push_back(
            {component, component == nullptr
                            ? QString()
                            : ToQString(host::ToUtf8(component->Name(), component->CodePage()))});
    }
    messages_ = 0;
    current_ = expected_.empty() ? Concerned{} : expected_.front();
    tally_ = {};
    changed_.clear();
}

void OutputWindow::Status(std::string_view) {
    ++messages_;
    current_ = messages_ <= expected_.size() ? expected_[messages_ - 1] : Concerned{};
}

void OutputWindow::Did(Work work) {
    tally_.Add(work);
    if (work < Work::BlockLeftSkipped) {
        changed_.insert(current_.component);
    }
}

void OutputWindow::Summarize(bool always) {
    if ((always && messages_ > 0) || !changed_.empty()) {
        Note(host::Summarize(static_cast<int>(changed_.size()), tally_, host::Outcome::Written));
    }
}

void OutputWindow::Report(const VbError& failure) {
    Add(QStringLiteral("Error %1").arg(failure.Number()), current_,
        ToQString(failure.Description()), ToQString(failure.Source()));
}

void OutputWindow::Warn(std::string_view module, std::string_view text) {
    Add(QStringLiteral("Warning"), Named(module), ToQString(text), {});
}

void OutputWindow::WarnAt(std::string_view module, const CodePlace& place, std::string_view text) {
    Add(QStringLiteral("Warning"), Named(module),
        ToQString(Describe(place) + ": " + std::string(text)), {}, place.line);
}

void OutputWindow::Problem(std::string_view subject, std::string_view text) {
    Add(QStringLiteral("Problem"), {nullptr, ToQString(subject)}, ToQString(text), {});
}

void OutputWindow::Note(std::string_view text) {
    auto* item = new QTreeWidgetItem(
        QStringList{QTime::currentTime().toString(QStringLiteral("HH:mm:ss")),
                    QStringLiteral("Note"), QString(), ToQString(text), QString()});
    list_->addTopLevelItem(item);
    list_->scrollToItem(item);
}

// The module a warning names: the one in hand when it is that one or none is named.
OutputWindow::Concerned OutputWindow::Named(std::string_view module) const {
    if (module.empty() || ToQString(module) == current_.name) {
        return current_;
    }
    return {nullptr, ToQString(module)};
}

void OutputWindow::Add(const QString& kind, const Concerned& module, const QString& text,
                       const QString& source, int line) {
    auto* item =
        new QTreeWidgetItem(QStringList{QTime::currentTime().toString(QStringLiteral("HH:mm:ss")),
                                        kind, module.name, text, source});
    item->setData(kModule, kEntryComponentRole,
                  QVariant::fromValue(reinterpret_cast<quintptr>(module.component)));
    item->setData(kModule, kEntryLineRole, line);
    const bool error = kind.startsWith(QStringLiteral("Error"));
    item->setIcon(kKind, QApplication::style()->standardIcon(error ? QStyle::SP_MessageBoxCritical
                                                                   : QStyle::SP_MessageBoxWarning));
    item->setToolTip(kText, text);
    item->setToolTip(kSource, source);
    list_->addTopLevelItem(item);
    list_->scrollToItem(item);
    if (onTrouble) {
        onTrouble((module.name.isEmpty() ? QString() : module.name + ": ") + text);
    }
}

QStringList OutputWindow::Entries() const {
    QStringList entries;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list_->topLevelItem(i);
        entries << QStringList{item->text(kKind), item->text(kModule), item->text(kText),
                               item->text(kSource)}
                       .join(QStringLiteral(" | "));
    }
    return entries;
}

}  // namespace brindle::workbench
