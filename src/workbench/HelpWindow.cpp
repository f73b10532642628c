#include "workbench/HelpWindow.h"

#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "util/Markdown.h"
#include "workbench/WorkbenchName.h"

namespace brindle::workbench {
namespace {

QString Readme() {
    QFile file(QStringLiteral(":/README.md"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Beside the window it was asked from, on the side with more room, narrowed to fit there so
// that both are seen; over it when neither side has room enough.
void PlaceBeside(QWidget& help, QWidget* over) {
    if (over == nullptr || help.isVisible()) {
        return;
    }
    constexpr int kGap = 8;
    constexpr int kNarrowest = 480;
    const QRect screen = over->screen()->availableGeometry();
    const QRect from = over->window()->frameGeometry();
    const int right = screen.right() - from.right() - kGap;
    const int left = from.left() - screen.left() - kGap;
    const int room = std::max(left, right);
    if (room >= kNarrowest) {
        help.resize(std::min(help.width(), room), help.height());
    }
    int x = right >= left ? from.right() + kGap : from.left() - kGap - help.width();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() - help.width()));
    const int y = std::clamp(from.top(), screen.top(),
                             std::max(screen.top(), screen.bottom() - help.height()));
    help.move(x, y);
}

}  // namespace

QString HelpText(const QStringList& titles) {
    std::vector<std::string> names;
    for (const QString& title : titles) {
        names.push_back(title.toStdString());
    }
    const std::vector<std::string_view> views(names.begin(), names.end());
    return QString::fromStdString(MarkdownSections(Readme().toStdString(), views));
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
    PlaceBeside(*window, over);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace brindle::workbench
