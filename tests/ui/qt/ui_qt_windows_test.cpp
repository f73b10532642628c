// The status window, the splash window, StayOnTop and the message box, on the offscreen
// platform.

#include <QtTest/qtestspontaneevent.h>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <set>
#include <vector>

#include "support/RecordingSink.h"
#include "ui/qt/Artwork.h"
#include "ui/qt/MessageBox.h"
#include "ui/qt/QtWindows.h"
#include "ui/qt/WinUtils.h"

namespace brindle::ui::qt {
namespace {

QWidget* TopLevel(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name)) {
            return widget;
        }
    }
    return nullptr;
}

QPoint Centred(const QWidget& window) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2};
}

QRect Twips(const QWidget& widget, int left, int top, int width, int height) {
    const double x = TwipsPerPixelX(widget);
    const double y = TwipsPerPixelY(widget);
    return {qRound(left / x), qRound(top / y), qRound(width / x), qRound(height / y)};
}

// A picture drawn with some care has more than a handful of colours.
int Colours(const QPixmap& picture) {
    const QImage image = picture.toImage();
    std::set<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            seen.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(seen.size());
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void statusWindowLoadsHiddenOnTopAndItsMessageShowsOnceInPlace() {
        test::RecordingSink sink;
        QtWindows windows;
        std::unique_ptr<frmMsg> status = windows.CreateMsg(&sink);
        status->Load();
        QWidget* form = TopLevel("frmMsg");
        QVERIFY(form != nullptr);
        QVERIFY(!form->isVisible());
        const Qt::WindowFlags flags = form->windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);  // no taskbar entry

        QCOMPARE(form->size(), Twips(*form, 0, 0, 10605, 525).size());
        auto* image = form->findChild<QLabel*>("Image1");
        auto* label = form->findChild<QLabel*>("lblMsg");
        QVERIFY(image && label);
        QCOMPARE(image->geometry(), Twips(*form, 30, 30, 2310, 480));
        QCOMPARE(image->pixmap().deviceIndependentSize().toSize(), kLogoSize);
        QVERIFY(Colours(image->pixmap()) > 20);
        QCOMPARE(label->geometry(), Twips(*form, 2490, 180, 8025, 255));
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().pointSizeF(), 8.25);
        QCOMPARE(label->text(), QString());

        // The pass over pending events lets a waiting event in before the setter returns.
        bool delivered = false;
        QTimer::singleShot(0, [&] { delivered = true; });
        status->SetMessage("Adding module header to <Module1>");
        QVERIFY(delivered);
        QVERIFY(form->isVisible());
        QCOMPARE(form->pos(), Centred(*form));
        QCOMPARE(label->text(), QString("Adding module header to <Module1>"));

        form->move(40, 60);
        status->SetMessage("");
        QCOMPARE(form->pos(), QPoint(40, 60));
        QCOMPARE(label->text(), QString());
        status->Hide();
        QVERIFY(!form->isVisible());
        status->SetMessage("Closing all windows...");
        QVERIFY(form->isVisible());
        QCOMPARE(form->pos(), QPoint(40, 60));
        QVERIFY(TopLevel("frmMsg") == form);  // loaded once

        // A long message loses its middle, not the module's name at its end; a screen reader
        // gets all of it.
        const QString adding =
            "Adding module header, procedure headers, and error handlers to "
            "modInventoryValuationAndReorderReports";
        status->SetMessage(adding.toStdString());
        QVERIFY(label->text().startsWith("Adding module header"));
        QVERIFY(label->text().contains(QChar(0x2026)));
        QVERIFY(label->text().endsWith("ReorderReports"));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
        QCOMPARE(label->accessibleName(), adding);
        QCOMPARE(form->accessibleName(), QString("Brindle status"));
        QVERIFY(sink.reported.empty());
        status.reset();
        QVERIFY(TopLevel("frmMsg") == nullptr);
    }

    void splashClosesItselfWhenItsTimerFiresAndOnlyThen() {
        QtWindows windows;
        windows.CreateSplash()->Show();  // nothing keeps the object: the window lives on
        QPointer<QWidget> form = TopLevel("frmSplash");
        QVERIFY(form != nullptr);
        QVERIFY(form->isVisible());
        const Qt::WindowFlags flags = form->windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(!flags.testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::SplashScreen);
        QCOMPARE(form->size(), Twips(*form, 0, 0, 7170, 5385).size());
        QCOMPARE(form->pos(), Centred(*form));
        QVERIFY(Colours(SplashPicture()) > 50);

        auto* timer = form->findChild<QTimer*>("Timer1");
        QVERIFY(timer != nullptr);
        QCOMPARE(timer->interval(), 3000);
        QVERIFY(timer->isActive());

        QTest::mouseClick(form, Qt::LeftButton);
        QTest::keyClick(form, Qt::Key_Escape);
        QTest::keyClick(form, Qt::Key_Return);
        QCloseEvent asked;  // Alt+F4 or the window manager's close button
        QSpontaneKeyEvent::setSpontaneous(&asked);
        static_cast<QObject*>(form.data())->event(&asked);  // as the window system delivers it
        QVERIFY(!asked.isAccepted());
        QVERIFY(form->isVisible());
        QVERIFY(timer->isActive());

        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QVERIFY(!timer->isActive());
        QVERIFY(!form->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form.isNull());
    }

    void stayOnTopKeepsPlaceAndVisibilityAndFailsBeforeTouchingTheWindow() {
        QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        window.resize(200, 100);
        window.move(30, 40);
        window.show();
        for (bool onTop : {true, false, true}) {
            StayOnTop(window, onTop);
            QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
            QVERIFY(window.isVisible());
            QCOMPARE(window.pos(), QPoint(30, 40));
            QCOMPARE(window.size(), QSize(200, 100));
        }
        window.hide();
        StayOnTop(window, false);
        QVERIFY(!window.isVisible());
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

        window.move(40000, 40);
        try {
            StayOnTop(window, true);
            QFAIL("no overflow");
        } catch (const VbError& e) {
            QCOMPARE(e.Number(), 6);
            QCOMPARE(e.Source(), std::string("WinUtils.StayOnTop | "));
        }
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void messageBoxButtons_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("byDefault");
        QTest::addColumn<int>("escape");
        QTest::newRow("52: the confirmations")
            << 52 << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::Warning)
            << int(QMessageBox::Yes) << int(QMessageBox::No);
        QTest::newRow("OK and Cancel, question, the second the default")
            << int(vbOKCancel + vbQuestion + vbDefaultButton2)
            << int(QMessageBox::Ok | QMessageBox::Cancel) << int(QMessageBox::Question)
            << int(QMessageBox::Cancel) << int(QMessageBox::Cancel);
    }

    void messageBoxButtons() {
        QFETCH(int, style);
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QFETCH(int, byDefault);
        QFETCH(int, escape);
        const auto box = MakeMessageBox(nullptr, "first line \r\nsecond line.\r\n\r\nSure?", style,
                                        "Remove Code Markers");
        QCOMPARE(box->text(), QString("first line \nsecond line.\n\nSure?"));
        QCOMPARE(box->windowTitle(), QString("Remove Code Markers"));
        QCOMPARE(int(box->icon()), icon);
        QCOMPARE(int(box->standardButtons()), buttons);
        QVERIFY(box->defaultButton() == box->button(QMessageBox::StandardButton(byDefault)));
        QVERIFY(box->escapeButton() == box->button(QMessageBox::StandardButton(escape)));
    }

    // The confirmation's phrases stay on their lines: the box is as wide as its longest line,
    // which is wider than a message box's own limit; the box is a fixed dialog.
    void messageBoxKeepsEachLineWhole() {
        const QString prompt =
            "Are you sure you want Brindle to add module headers, procedure headers, \r\n"
            "and error handlers to the entire project?";
        const auto box = MakeMessageBox(nullptr, prompt.toStdString(), 52, "Add to Entire Project");
        box->show();
        auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        QVERIFY(label != nullptr);
        const QFontMetrics metrics = label->fontMetrics();
        QVERIFY(metrics.horizontalAdvance(prompt.section("\r\n", 0, 0)) <= label->width());
        QVERIFY(label->heightForWidth(label->width()) < 3 * metrics.lineSpacing());
        QVERIFY(box->frameGeometry().width() <= box->screen()->availableGeometry().width());
        QCOMPARE(box->windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
                 Qt::WindowCloseButtonHint);
    }

    void messageBoxAnswers() {
        const auto answer = [](Qt::Key key) {
            const auto box = MakeMessageBox(nullptr, "Sure?", 52, "Title");
            box->show();
            QTest::keyClick(box.get(), key);
            return AnswerOf(*box);
        };
        QCOMPARE(answer(Qt::Key_Escape), vbNo);
        QCOMPARE(answer(Qt::Key_Return), vbYes);

        // An answer given in advance is taken instead of showing the box, once.
        QtWindows windows;
        windows.Answers().SetNextAnswer(vbYes);
        QCOMPARE(windows.MsgBox("Sure?", 52, "Title"), vbYes);
        QVERIFY(!windows.Answers().TakeNextAnswer());
    }
};

}  // namespace brindle::ui::qt

QTEST_MAIN(brindle::ui::qt::WindowsTest)
#include "ui_qt_windows_test.moc"
