#include "ui/qt/StatusWindow.h"

#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <utility>

#include "ui/qt/Artwork.h"
#include "ui/qt/QtText.h"
#include "ui/qt/WinUtils.h"

namespace brindle::ui::qt {
namespace {

// Sizes in twips.

// The label's face on Windows, else a sans serif of the same weight that Debian has.
QFont MessageFont() {
    QFont font;
    font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "DejaVu Sans"});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

class MsgForm final : public QWidget {
public:
    explicit MsgForm(QWidget* owner) : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint) {
        setObjectName(QStringLiteral("frmMsg"));
        setAccessibleName(QStringLiteral("Brindle status"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFixedSize(PixelsOf(*this, kStatusClientArea).size());

        auto* image = new QLabel(this);
        image->setObjectName(QStringLiteral("Image1"));
        image->setGeometry(PixelsOf(*this, kStatusImage));
        image->setPixmap(LogoPicture(devicePixelRatioF()));

        label_ = new QLabel(this);
        label_->setObjectName(QStringLiteral("lblMsg"));
        label_->setGeometry(PixelsOf(*this, kStatusLabel));
        label_->setFont(MessageFont());
        label_->setTextFormat(Qt::PlainText);
        label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    // A message names what it works on at its end, so one too long for the line loses its
    // middle; a screen reader still reads all of it.
    void SetText(const QString& text) {
        label_->setAccessibleName(text);
        label_->setText(label_->fontMetrics().elidedText(text, Qt::ElideMiddle,
                                                         label_->contentsRect().width()));
    }

protected:
    // Shape1: the outline round the content, under the logo and the label.
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QPen(QColor(0x22, 0x56, 0x7c), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(PixelsOf(*this, kStatusShape).adjusted(0, 0, -1, -1));
    }

private:
    QLabel* label_;
};

class QtMsg final : public frmMsg {
public:
    QtMsg(QWidget* owner, Diagnostics* sink, MessageObserver observer)
        : frmMsg(sink), owner_(owner), sink_(sink), observer_(std::move(observer)) {}
    ~QtMsg() override { delete form_.data(); }
    QtMsg(const QtMsg&) = delete;
    QtMsg& operator=(const QtMsg&) = delete;

protected:
    // Form_Load: the window goes on top; when it cannot, it works all the same.
    void LoadWindow() override {
        if (form_) {
            return;
        }
        form_ = new MsgForm(owner_);
        IgnoreStep(sink_, [&] { StayOnTop(*form_, true); });
    }
    void SetLabel(std::string_view text) override {
        LoadWindow();
        form_->SetText(ToQString(text));
        if (observer_) {
            observer_(text);
        }
    }
    bool IsVisible() const override { return form_ && form_->isVisible(); }
    void ShowWindow() override {
        LoadWindow();
        if (!placed_) {
            CentreOnScreen(*form_);
            placed_ = true;
        }
        form_->show();
    }
    void Refresh() override {
        LoadWindow();
        form_->repaint();
    }
    void HideWindow() override {
        if (form_) {
            form_->hide();
        }
    }
    void DoEvents() override { QCoreApplication::processEvents(); }

private:
    QPointer<QWidget> owner_;
    Diagnostics* sink_;
    MessageObserver observer_;
    QPointer<MsgForm> form_;
    bool placed_ = false;
};

}  // namespace

std::unique_ptr<frmMsg> MakeStatusWindow(QWidget* owner, Diagnostics* sink,
                                         MessageObserver observer) {
    return std::make_unique<QtMsg>(owner, sink, std::move(observer));
}

}  // namespace brindle::ui::qt
