#include "workbench/DesignerWindow.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <string>

#include "host/vb6/CodePage.h"
#include "workbench/DesignBlock.h"

namespace brindle::workbench {
namespace {

constexpr double kTwipsPerPixel = 15;
constexpr int kTitleHeight = 22;

QString Shown(const std::string& bytes, int codePage) {
    return QString::fromStdString(host::ToUtf8(bytes, codePage));
}

// The controls drawn as boxes at their place, each inside its container.
class Sketch final : public QWidget {
public:
    Sketch(DesignItem root, int codePage) : root_(std::move(root)), codePage_(codePage) {
        setObjectName(QStringLiteral("designSketch"));
        const QSize client = ClientSize();
        setMinimumSize(client.width() + 40, client.height() + kTitleHeight + 40);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x80, 0x80, 0x80));
        const QRect client(QPoint(20, 20 + kTitleHeight), ClientSize());
        const QRect frame = client.adjusted(-1, -kTitleHeight, 1, 1);
        painter.fillRect(frame, QColor(0x0a, 0x24, 0x6a));
        painter.setPen(Qt::white);
        painter.drawText(frame.adjusted(6, 0, -6, 0).topLeft() + QPoint(0, 15),
                         Shown(Caption(root_), codePage_));
        painter.fillRect(client, QColor(0xec, 0xe9, 0xd8));
        DrawChildren(painter, root_, client.topLeft());
    }

private:
    QSize ClientSize() const {
        const double width =
            root_.Twips("clientwidth").value_or(root_.Twips("width").value_or(4800));
        const double height =
            root_.Twips("clientheight").value_or(root_.Twips("height").value_or(3600));
        return {std::clamp(Pixels(width), 120, 4000), std::clamp(Pixels(height), 80, 4000)};
    }

    static int Pixels(double twips) { return static_cast<int>(twips / kTwipsPerPixel + 0.5); }

    // The caption as the form shows it: "&&" is an ampersand, a lone "&" marks the access key.
    static std::string Caption(const DesignItem& item) {
        const std::string caption = item.Text("caption");
        if (caption.empty()) {
            return item.name;
        }
        std::string shown;
        for (std::size_t i = 0; i < caption.size(); ++i) {
            if (caption[i] == '&' && i + 1 < caption.size()) {
                ++i;
            }
            shown += caption[i];
        }
        return shown;
    }

    void DrawChildren(QPainter& painter, const DesignItem& parent, QPoint origin) const {
        for (const DesignItem& child : parent.children) {
            const std::optional<double> left = child.Twips("left");
            const std::optional<double> top = child.Twips("top");
            if (!left || !top) {
                continue;  // a menu, or a control without a place
            }
            const int width = Pixels(child.Twips("width").value_or(420));
            const int height = Pixels(child.Twips("height").value_or(420));
            const QRect box(origin + QPoint(Pixels(*left), Pixels(*top)),
                            QSize(std::max(width, 4), std::max(height, 4)));
            DrawControl(painter, child, box);
            DrawChildren(painter, child, box.topLeft());
        }
    }

    void DrawControl(QPainter& painter, const DesignItem& item, const QRect& box) const {
        const QString type = QString::fromStdString(item.type).section('.', -1).toLower();
        QColor fill(0xf4, 0xf4, 0xf4);
        if (type == "textbox" || type == "listbox" || type == "combobox") {
            fill = Qt::white;
        } else if (type == "label" || type == "frame") {
            fill = QColor(0xec, 0xe9, 0xd8);
        } else if (type == "commandbutton") {
            fill = QColor(0xdd, 0xdd, 0xdd);
        }
        painter.fillRect(box, fill);
        if (type != "label") {
            painter.setPen(QColor(0x60, 0x60, 0x60));
            painter.drawRect(box.adjusted(0, 0, -1, -1));
        }
        painter.setPen(Qt::black);
        const QString text = Shown(type == "textbox" ? item.name : Caption(item), codePage_);
        const int align = type == "commandbutton" ? Qt::AlignCenter : Qt::AlignLeft;
        painter.drawText(box.adjusted(3, 2, -3, -2), align | Qt::AlignTop | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(text, Qt::ElideRight, box.width() - 6));
    }

    DesignItem root_;
    int codePage_;
};

}  // namespace

DesignerWindow::DesignerWindow(const host::MemoryComponent& component, int codePage,
                               QWidget* parent)
    : QWidget(parent), component_(component) {
    setObjectName(QStringLiteral("designerWindow"));
    setWindowTitle(Shown(component.Name(), codePage) + " (Design)");
    auto* text = new QPlainTextEdit;
    text->setObjectName(QStringLiteral("designText"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* splitter = new QSplitter(Qt::Vertical);
    const std::optional<DesignBlock> block = ReadDesignBlock(component.Layout());
    if (block) {
        std::string bytes;
        for (std::size_t i = block->firstLine; i <= block->lastLine; ++i) {
            bytes += component.Layout().header[i].text + "\n";
        }
        text->setPlainText(Shown(bytes, codePage));
        auto* scroll = new QScrollArea;
        scroll->setWidget(new Sketch(block->root, codePage));
        splitter->addWidget(scroll);
    } else {
        text->setPlainText(QStringLiteral("This component has no design block."));
    }
    splitter->addWidget(text);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

}  // namespace brindle::workbench
