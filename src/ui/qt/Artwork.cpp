#include "ui/qt/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <array>

namespace brindle::ui::qt {
namespace {

const QColor kInk{0x10, 0x29, 0x44};
const QColor kSea{0x22, 0x56, 0x7c};
const QColor kAmber{0xf2, 0xa9, 0x3b};
const QColor kMist{0xcf, 0xe0, 0xee};

QFont Face(int pixels, bool bold, bool monospace = false) {
    QFont font;
    font.setFamilies(monospace ? QStringList{"DejaVu Sans Mono", "Liberation Mono", "Courier New"}
                               : QStringList{"DejaVu Sans", "Liberation Sans", "Arial"});
    font.setStyleHint(monospace ? QFont::Monospace : QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QPixmap Canvas(QSize size, qreal devicePixelRatio) {
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Two amber marker bars with indented code lines between them: what Brindle puts in. The
// box is 16 units high, so that at 1 pixel a unit every edge falls on a pixel.
void DrawEmblem(QPainter& painter, QRectF box) {
    const qreal unit = box.height() / 16;
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAmber);
    for (qreal top : {0.0, 14.0}) {
        painter.drawRoundedRect(QRectF(box.left(), box.top() + top * unit, box.width(), 2 * unit),
                                unit, unit);
    }
    QColor line = kMist;
    line.setAlphaF(0.9f);
    painter.setBrush(line);
    struct CodeLine {
        qreal top, indent, length;  // in units, the length as a share of the width
    };
    for (const CodeLine& code : {CodeLine{5, 3, 0.8}, CodeLine{9, 6, 0.55}}) {
        painter.drawRoundedRect(QRectF(box.left() + code.indent * unit, box.top() + code.top * unit,
                                       box.width() * code.length, 2 * unit),
                                unit, unit);
    }
}

// Faint diagonal streaks, the coat pattern the product is named after.
void DrawStreaks(QPainter& painter, QSize size) {
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 16; ++i) {
        const qreal x = -120 + i * 41 + (i % 3) * 9;
        QPainterPath streak(QPointF(x, -10));
        streak.cubicTo(QPointF(x + 60 + (i % 4) * 12, size.height() * 0.3),
                       QPointF(x + 40 - (i % 5) * 8, size.height() * 0.7),
                       QPointF(x + 130, size.height() + 10));
        QColor shade = (i % 2 == 0) ? QColor(0, 0, 0) : kMist;
        shade.setAlphaF(i % 2 == 0 ? 0.16f : 0.035f);
        painter.setPen(QPen(shade, 5 + (i * 7) % 11, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(streak);
    }
}

void DrawCodeCard(QPainter& painter, QRectF card) {
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
    painter.setBrush(QColor(6, 18, 32, 190));
    painter.drawRoundedRect(card, 6, 6);

    struct Line {
        const char* text;
        QColor colour;
    };
    const QColor comment(0x8f, 0xc9, 0x8f);
    const std::array<Line, 5> lines = {{
        {"' [Brindle Begin]", kAmber},
        {"' Procedure : OpenLedger", comment},
        {"' Purpose   : Reads the ledger file", comment},
        {"' [Brindle End]", kAmber},
        {"Private Sub OpenLedger()", kMist},
    }};
    painter.setFont(Face(13, false, true));
    qreal baseline = card.top() + 24;
    for (const Line& line : lines) {
        painter.setPen(line.colour);
        painter.drawText(QPointF(card.left() + 18, baseline), QString::fromLatin1(line.text));
        baseline += 19;
    }
}

}  // namespace

QPixmap LogoPicture(qreal devicePixelRatio) {
    QPixmap pixmap = Canvas(kLogoSize, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF panel(0.5, 0.5, kLogoSize.width() - 1, kLogoSize.height() - 1);
    QLinearGradient fill(panel.topLeft(), panel.topRight());
    fill.setColorAt(0, kInk);
    fill.setColorAt(1, kSea);
    painter.setPen(QPen(kInk.darker(130), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(panel, 4, 4);

    DrawEmblem(painter, QRectF(9, 8, 20, 16));
    painter.setPen(Qt::white);
    painter.setFont(Face(19, true));
    painter.drawText(QRectF(38, 0, kLogoSize.width() - 44, kLogoSize.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Brindle"));
    return pixmap;
}

QPixmap SplashPicture(qreal devicePixelRatio) {
    QPixmap pixmap = Canvas(kSplashSize, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF whole(0, 0, kSplashSize.width(), kSplashSize.height());
    QLinearGradient fill(whole.topLeft(), whole.bottomRight());
    fill.setColorAt(0, kInk);
    fill.setColorAt(1, kSea);
    painter.fillRect(whole, fill);
    DrawStreaks(painter, kSplashSize);

    DrawEmblem(painter, QRectF(40, 44, 56, 48));
    painter.setPen(Qt::white);
    painter.setFont(Face(54, true));
    painter.drawText(QPointF(110, 88), QStringLiteral("Brindle"));
    painter.setPen(kMist);
    painter.setFont(Face(15, false));
    painter.drawText(QPointF(42, 124),
                     QStringLiteral("Headers and error handlers for Visual Basic 6"));

    DrawCodeCard(painter, QRectF(40, 148, 396, 116));

    painter.setPen(QPen(kAmber, 2));
    painter.drawLine(QPointF(40, 296), QPointF(436, 296));
    painter.setPen(kMist);
    painter.setFont(Face(13, false));
    painter.drawText(QRectF(40, 304, 396, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Version " BRINDLE_VERSION));
    painter.drawText(QRectF(40, 304, 396, 24), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("\u00A9 " BRINDLE_YEAR));
    painter.setPen(QPen(QColor(255, 255, 255, 50), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(whole.adjusted(0.5, 0.5, -2.5, -1.5));
    return pixmap;
}

}  // namespace brindle::ui::qt
