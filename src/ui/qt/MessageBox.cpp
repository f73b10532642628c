#include "ui/qt/MessageBox.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QString>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "ui/qt/QtText.h"
#include "ui/qt/WinUtils.h"

namespace brindle::ui::qt {
namespace {

using Button = QMessageBox::StandardButton;

constexpr int kIconRoom = 64;

struct ButtonSet {
    std::int32_t style;
    std::array<Button, 3> buttons;  // NoButton past the last
};

constexpr std::array<ButtonSet, 6> kButtonSets = {{
    {vbOKOnly, {QMessageBox::Ok, QMessageBox::NoButton, QMessageBox::NoButton}},
    {vbOKCancel, {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::NoButton}},
    {vbAbortRetryIgnore, {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}},
    {vbYesNoCancel, {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}},
    {vbYesNo, {QMessageBox::Yes, QMessageBox::No, QMessageBox::NoButton}},
    {vbRetryCancel, {QMessageBox::Retry, QMessageBox::Cancel, QMessageBox::NoButton}},
}};

constexpr std::array<std::pair<Button, VbMsgBoxResult>, 7> kAnswers = {{
    {QMessageBox::Ok, vbOK},
    {QMessageBox::Cancel, vbCancel},
    {QMessageBox::Abort, vbAbort},
    {QMessageBox::Retry, vbRetry},
    {QMessageBox::Ignore, vbIgnore},
    {QMessageBox::Yes, vbYes},
    {QMessageBox::No, vbNo},
}};

QMessageBox::Icon IconOf(std::int32_t style) {
    switch (style & 0x70) {
        case vbCritical:
            return QMessageBox::Critical;
        case vbQuestion:
            return QMessageBox::Question;
        case vbExclamation:
            return QMessageBox::Warning;
        case vbInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

const ButtonSet& ButtonsOf(std::int32_t style) {
    for (const ButtonSet& set : kButtonSets) {
        if (set.style == (style & 0xF)) {
            return set;
        }
    }
    return kButtonSets.front();
}

QString PlainLines(std::string_view text) {
    QString lines = ToQString(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

// The box breaks the prompt's lines where they are longer than about half the screen: it is
// made wide enough for the longest, so that each phrase stays on its own line, as far as the
// screen allows (beyond that the box wraps as it would).
void WidenForLongestLine(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr) {
        return;
    }
    box.ensurePolished();
    const QFontMetrics metrics = label->fontMetrics();
    int longest = 0;
    for (const QString& line : box.text().split(QLatin1Char('\n'))) {
        longest = std::max(longest, metrics.horizontalAdvance(line));
    }
    const QScreen* screen = box.parentWidget() != nullptr ? box.parentWidget()->screen()
                                                          : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The box never grows wider than the screen less the room of its icon and margins.
    const int room = screen->availableGeometry().width() * 3 / 4 - 2 * kIconRoom;
    label->setMinimumWidth(std::min(longest + 2 * label->margin() + 2, room));
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, std::string_view prompt,
                                            std::int32_t buttons, std::string_view title) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setObjectName(QStringLiteral("MsgBox"));
    FixedDialogFrame(*box);
    box->setIcon(IconOf(buttons));
    box->setWindowTitle(PlainLines(title));
    box->setTextFormat(Qt::PlainText);
    box->setText(PlainLines(prompt));
    WidenForLongestLine(*box);

    std::vector<QPushButton*> made;
    for (Button button : ButtonsOf(buttons).buttons) {
        if (button != QMessageBox::NoButton) {
            made.push_back(box->addButton(button));
        }
    }
    const std::size_t defaultIndex = static_cast<std::size_t>((buttons >> 8) & 0x3);
    box->setDefaultButton(made.at(defaultIndex < made.size() ? defaultIndex : 0));
    for (Button escape : {QMessageBox::Cancel, QMessageBox::No}) {
        if (QAbstractButton* button = box->button(escape)) {
            box->setEscapeButton(button);
            return box;
        }
    }
    if (made.size() == 1) {
        box->setEscapeButton(made.front());
    }
    return box;
}

VbMsgBoxResult AnswerOf(const QMessageBox& box) {
    QAbstractButton* clicked = box.clickedButton();
    if (clicked == nullptr) {
        clicked = box.escapeButton();
    }
    const Button button = box.standardButton(clicked);
    for (const auto& [standard, answer] : kAnswers) {
        if (standard == button) {
            return answer;
        }
    }
    return vbCancel;
}

}  // namespace brindle::ui::qt
