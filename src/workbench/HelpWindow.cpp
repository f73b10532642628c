#include "workbench/HelpWindow.h"

#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "workbench/WorkbenchName.h"

namespace brindle::workbench {
namespace {

QString Readme() {
    QFile file(QStringLiteral(":/README.md"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool StartsSection(const QString& line) {
    return line.startsWith(QLatin1String("## "));
}

}  // namespace

QString HelpText(const QStringList& titles) {
    QStringList kept;
    bool keeping = false;
    bool inCode = false;
    for (const QString& line : Readme().split(QLatin1Char('\n'))) {
        // A "## " inside a block of code, a shell comment say, starts no section.
        if (line.startsWith(QLatin1String("```"))) {
            inCode = !inCode;
        }
        if (!inCode && StartsSection(line)) {
            keeping = titles.contains(line.mid(3).trimmed());
        }
        if (keeping) {
            kept << line;
        }
    }
    return kept.join(QLatin1Char('\n'));
}

QStringList OptionsHelp() {
    return {QStringLiteral("The options"), QStringLiteral("Template keywords")};
}

void ShowHelp(QWidget* over, const QStringList& titles) {
    static QPointer<QDialog> window;
    if (window == nullptr || window->parentWidget() != over) {
        delete window.data();
        window = new QDialog(over, Qt::Window);
        window->setObjectName(QStringLiteral("helpWindow"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        auto* text = new QTextBrowser(window);
        text->setObjectName(QStringLiteral("helpText"));
        text->setOpenExternalLinks(true);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(text);
        window->resize(720, 640);
    }
    window->setWindowTitle(WorkbenchName() + QStringLiteral(" Help"));
    window->findChild<QTextBrowser*>()->setMarkdown(HelpText(titles));
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace brindle::workbench
