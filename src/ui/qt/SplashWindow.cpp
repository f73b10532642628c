#include "ui/qt/SplashWindow.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "ui/qt/Artwork.h"
#include "ui/qt/WinUtils.h"

namespace brindle::ui::qt {
namespace {

constexpr int kLifetimeMs = 3000;

// Clicks, keys and requests to close do nothing: only the timer closes it.
class SplashForm final : public QWidget {
public:
    explicit SplashForm(QWidget* owner)
        : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint) {
        setObjectName(QStringLiteral("frmSplash"));
        setAttribute(Qt::WA_DeleteOnClose);
        setFixedSize(PixelsOf(*this, kSplashClientArea).size());

        auto* timer = new QTimer(this);
        timer->setObjectName(QStringLiteral("Timer1"));
        timer->setInterval(kLifetimeMs);
        connect(timer, &QTimer::timeout, this, [this, timer] {
            timer->stop();
            close();
        });
        timer->start();
    }

protected:
    // Alt+F4 and the window manager's close button come from the window system, and are
    // refused while the time runs; the timer's end and the application quitting go through.
    void closeEvent(QCloseEvent* event) override {
        if (event->spontaneous()) {
            event->ignore();
        } else {
            event->accept();
        }
    }

    void paintEvent(QPaintEvent*) override {
        const qreal ratio = devicePixelRatioF();
        if (picture_.isNull() || picture_.devicePixelRatio() != ratio) {
            picture_ = SplashPicture(ratio);
        }
        QPainter(this).drawPixmap(0, 0, picture_);
    }

private:
    QPixmap picture_;
};

class QtSplash final : public frmSplash {
public:
    explicit QtSplash(QWidget* owner) : owner_(owner) {}
    void Show() override {
        auto* form = new SplashForm(owner_);
        CentreOnScreen(*form);
        form->show();
    }

private:
    QPointer<QWidget> owner_;
};

}  // namespace

std::shared_ptr<frmSplash> MakeSplashWindow(QWidget* owner) {
    return std::make_shared<QtSplash>(owner);
}

}  // namespace brindle::ui::qt
