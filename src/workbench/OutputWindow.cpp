#include "workbench/OutputWindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <QTime>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

#include "ui/qt/QtText.h"

namespace brindle::workbench {
namespace {

using ui::qt::ToQString;

enum Column { kTime, kKind, kModule, kText, kSource, kColumns };

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
    connect(list_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (onOpen && !item->text(kModule).isEmpty()) {
            onOpen(item->text(kModule));
        }
    });
}

void OutputWindow::Expect(std::vector<std::string> modules) {
    expected_ = std::move(modules);
    messages_ = 0;
    current_ = expected_.empty() ? std::string() : expected_.front();
}

void OutputWindow::Status(std::string_view) {
    ++messages_;
    current_ = messages_ <= expected_.size() ? expected_[messages_ - 1] : std::string();
}

void OutputWindow::Report(const VbError& failure) {
    Add(QStringLiteral("Error %1").arg(failure.Number()), ToQString(current_),
        ToQString(failure.Description()), ToQString(failure.Source()));
}

void OutputWindow::Warn(std::string_view module, std::string_view text) {
    Add(QStringLiteral("Warning"), ToQString(module.empty() ? std::string_view(current_) : module),
        ToQString(text), {});
}

void OutputWindow::Problem(std::string_view subject, std::string_view text) {
    Add(QStringLiteral("Problem"), ToQString(subject), ToQString(text), {});
}

void OutputWindow::Note(std::string_view text) {
    auto* item = new QTreeWidgetItem(
        QStringList{QTime::currentTime().toString(QStringLiteral("HH:mm:ss")),
                    QStringLiteral("Note"), QString(), ToQString(text), QString()});
    list_->addTopLevelItem(item);
    list_->scrollToItem(item);
}

void OutputWindow::Add(const QString& kind, const QString& module, const QString& text,
                       const QString& source) {
    auto* item = new QTreeWidgetItem(QStringList{
        QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), kind, module, text, source});
    const bool error = kind.startsWith(QStringLiteral("Error"));
    item->setIcon(kKind, QApplication::style()->standardIcon(error ? QStyle::SP_MessageBoxCritical
                                                                   : QStyle::SP_MessageBoxWarning));
    item->setToolTip(kText, text);
    item->setToolTip(kSource, source);
    list_->addTopLevelItem(item);
    list_->scrollToItem(item);
    if (onTrouble) {
        onTrouble((module.isEmpty() ? QString() : module + ": ") + text);
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
