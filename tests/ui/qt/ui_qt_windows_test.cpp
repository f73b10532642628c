// The windows' and the options dialogs' shared suites over the Qt windows, on the offscreen
// platform; and what the Qt windows add: their pictures, the message box's lines and keys.

#include <QtTest/qtestspontaneevent.h>
#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <set>

#include "ui/OptionsSuite.h"
#include "ui/WindowsSuite.h"
#include "ui/qt/Artwork.h"
#include "ui/qt/MessageBox.h"
#include "ui/qt/QtText.h"
#include "ui/qt/QtWindows.h"
#include "ui/qt/WinUtils.h"

namespace brindle::ui::qt {
namespace {

using test::Place;
using test::Way;

Place ToPlace(const QRect& rect) {
    return {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
}

class QtForm final : public test::Form {
public:
    QtForm(QDialog& form, DialogAnswers& answers) : form_(form), answers_(answers) {}

    std::string Title() override { return form_.windowTitle().toStdString(); }
    int Tab() override { return Tabs().currentIndex(); }
    void ShowTab(int tab) override { Tabs().setCurrentIndex(tab); }
    bool FixedFrame() override {
        return form_.minimumSize() == form_.maximumSize() &&
               (form_.windowFlags() &
                (Qt::WindowType_Mask | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)) ==
                   (Qt::Dialog | Qt::WindowCloseButtonHint);
    }
    // Centred at load, when the frame is not known yet.
    Place Frame() override { return ToPlace(QRect(form_.pos(), form_.size())); }
    Place Screen() override { return ToPlace(QGuiApplication::primaryScreen()->geometry()); }
    Place PlaceOf(std::string_view name) override {
        QWidget& control = Control(name);
        return ToPlace(QRect(control.mapToGlobal(QPoint()), control.size()));
    }
    bool Visible(std::string_view name) override { return Control(name).isVisible(); }
    bool Enabled(std::string_view name) override { return Control(name).isEnabled(); }
    bool IsDefault(std::string_view name) override {
        return Control(name).property("default").toBool();
    }
    std::string Text(std::string_view name) override {
        return Control(name).property("text").toString().toStdString();
    }
    std::string Tip(std::string_view name) override {
        return Control(name).toolTip().toStdString();
    }
    bool Checked(std::string_view name) override {
        return Control(name).property("checked").toBool();
    }
    void Type(std::string_view name, const std::string& text) override {
        auto& box = static_cast<QLineEdit&>(Control(name));
        box.selectAll();
        box.insert(ToQString(text));
    }
    // On its caption, where a person would.
    void Click(std::string_view name) override {
        QWidget& button = Control(name);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(8, button.height() / 2));
    }
    void Focus(std::string_view name) override {
        QApplication::setActiveWindow(&form_);
        Control(name).setFocus();
    }
    std::string Focused() override {
        QWidget* focus = QApplication::focusWidget();
        if (focus != nullptr && focus->parentWidget() == &Tabs()) {
            return "tabOptions";  // the tab bar
        }
        return focus != nullptr ? focus->objectName().toStdString() : "";
    }
    void PressTab() override { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
    void PressAlt(char letter) override {
        QTest::keyClick(&form_, Qt::Key(Qt::Key_A + (letter - 'a')), Qt::AltModifier);
    }
    void PressF1() override { QTest::keyClick(&Control("txtAuthor"), Qt::Key_F1); }
    void Leave(Way way) override {
        switch (way) {
            case Way::Enter:
                QTest::keyClick(&Control("txtAuthor"), Qt::Key_Return);
                break;
            case Way::CancelButton:
                Click("cmdCancel");
                break;
            case Way::Escape:
                QTest::keyClick(&form_, Qt::Key_Escape);
                break;
            case Way::CloseButton:
                form_.close();
                break;
        }
        EXPECT_FALSE(form_.isVisible());
    }
    std::string ChooseFile(std::string_view button, std::optional<std::string> path) override {
        answers_.SetNextFileChoice(path ? FileChoice(ToQString(*path)) : std::nullopt);
        Click(button);
        auto& dialog = static_cast<QFileDialog&>(Control("cdlOpenFiles"));
        // All Files lists files without an extension too.
        EXPECT_TRUE(QDir::match(dialog.nameFilters().last().section('(', 1).chopped(1), "Header"));
        EXPECT_EQ(dialog.defaultSuffix(), "txt");
        return dialog.directory().absolutePath().toStdString();
    }

private:
    QTabWidget& Tabs() { return static_cast<QTabWidget&>(Control("tabOptions")); }
    // The shown one where there are several (the note on greyed fields is on each tab).
    QWidget& Control(std::string_view name) {
        const QList<QWidget*> controls = form_.findChildren<QWidget*>(ToQString(name));
        if (controls.isEmpty()) {
            throw std::runtime_error("no control " + std::string(name));
        }
        const auto shown = std::ranges::find_if(controls, &QWidget::isVisible);
        return shown != controls.end() ? **shown : *controls.front();
    }

    QDialog& form_;
    DialogAnswers& answers_;
};

// The top-level window of that name (a shown one, where asked); two are a failure.
QWidget* TopLevel(std::string_view name, bool shown = false) {
    QWidget* found = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName().toStdString() == name && (!shown || widget->isVisible())) {
            EXPECT_EQ(found, nullptr) << "two of " << name;
            found = widget;
        }
    }
    return found;
}

QDialog* ShownForm() {
    return qobject_cast<QDialog*>(TopLevel("frmOptions", true));
}

struct QtDialog : test::OptionsBench<QtWindows> {
    static bool CanShow() { return true; }

    void WithForm(const std::function<void(test::Form&)>& act) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            QPointer<QDialog> form = ShownForm();
            shown = form != nullptr;
            if (!shown) {
                return;
            }
            QtForm driver(*form, windows.Answers());
            try {
                act(driver);
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
            if (form && form->isVisible()) {
                form->reject();
            }
        });
        ASSERT_TRUE(vbe.Click("Brindle Options..."));
        EXPECT_TRUE(shown);
        EXPECT_EQ(ShownForm(), nullptr);  // unloaded
    }
    void FixBy(const std::string& file, std::vector<std::string_view> keys) {
        windows.FixOptionsBy([=] { return FixedOptions{ToQString(file), keys}; });
    }
    void HelpBy(std::function<void(bool overTheForm)> help) {
        windows.HelpBy([=](QWidget* over) { help(over != nullptr && over == ShownForm()); });
    }
};

class QtWindow final : public test::Window {
public:
    explicit QtWindow(QWidget* form) : form_(form) {}

    bool Visible() override { return form_->isVisible(); }
    bool OnTop() override { return form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
    bool Plain() override {
        const Qt::WindowFlags type = form_->windowFlags() & Qt::WindowType_Mask;
        return form_->windowFlags().testFlag(Qt::FramelessWindowHint) &&
               (type == Qt::Tool || type == Qt::SplashScreen);
    }
    Place Frame() override { return ToPlace(form_->frameGeometry()); }
    Place Screen() override { return ToPlace(QGuiApplication::primaryScreen()->geometry()); }
    Place Client() override { return ToPlace(form_->rect()); }
    double TwipsPerPixel() override { return TwipsPerPixelX(*form_); }
    void MoveTo(long left, long top) override { form_->move(int(left), int(top)); }
    std::string Message() override { return Label().accessibleName().toStdString(); }
    std::string Name() override { return form_->accessibleName().toStdString(); }
    std::string Drawn() override {
        EXPECT_LE(Label().fontMetrics().horizontalAdvance(Label().text()), Label().width());
        return Label().text().toStdString();
    }
    // Alt+F4 and the window manager's close button come from the window system.
    void AskToClose() override {
        QTest::mouseClick(form_, Qt::LeftButton);
        QTest::keyClick(form_, Qt::Key_Escape);
        QTest::keyClick(form_, Qt::Key_Return);
        QCloseEvent asked;
        QSpontaneKeyEvent::setSpontaneous(&asked);
        static_cast<QObject*>(form_.data())->event(&asked);
        EXPECT_FALSE(asked.isAccepted());
    }
    void Tick() override {
        auto* timer = form_->findChild<QTimer*>("Timer1");
        EXPECT_EQ(timer->interval(), 3000);
        EXPECT_TRUE(timer->isActive());
        EXPECT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));
    }
    void StayOnTop(bool onTop) override { qt::StayOnTop(*form_, onTop); }

private:
    QLabel& Label() { return *form_->findChild<QLabel*>("lblMsg"); }

    QPointer<QWidget> form_;
};

struct QtBench {
    static bool CanShow() { return true; }

    std::unique_ptr<test::Window> Find(std::string_view name) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QWidget* found = TopLevel(name);
        return found != nullptr ? std::make_unique<QtWindow>(found) : nullptr;
    }
    void Post(const std::function<void()>& event) { QTimer::singleShot(0, event); }
    test::Box Show(std::int32_t style, const std::string& prompt, const std::string& title) {
        const auto box = MakeMessageBox(nullptr, prompt, style, title);
        test::Box shown{box->windowTitle().toStdString(), box->text().toStdString(), {}, {}};
        const auto answer = [&](QAbstractButton* button) {
            button->click();
            return AnswerOf(*box);
        };
        for (QAbstractButton* button : box->buttons()) {
            shown.offered.push_back(answer(button));
        }
        shown.byDefault = answer(box->defaultButton());
        return shown;
    }

    QtWindows windows;
};

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

// The logo and the splash's picture, drawn at twice the pixels too.
TEST(QtWindows, PicturesAreDrawnWithSomeCare) {
    for (const qreal ratio : {1.0, 2.0}) {
        EXPECT_EQ(LogoPicture(ratio).deviceIndependentSize().toSize(), kLogoSize);
        EXPECT_GT(Colours(LogoPicture(ratio)), 20);
        EXPECT_GT(Colours(SplashPicture(ratio)), 50);
    }
}

// The confirmation's phrases stay on their lines: the box is as wide as its longest line,
// which is wider than a message box's own limit; the box is a fixed dialog, its prompt in
// plain lines, Escape answers No and Enter Yes.
TEST(QtWindows, MessageBoxKeepsEachLineWholeAndAnswersKeys) {
    const QString prompt =
        "Are you sure you want Brindle to add module headers, procedure headers, \r\n"
        "and error handlers to the entire project?";
    const auto box = MakeMessageBox(nullptr, prompt.toStdString(), 52, "Add to Entire Project");
    box->show();
    EXPECT_EQ(box->text(), QString(prompt).replace("\r\n", "\n"));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    auto* label = box->findChild<QLabel*>("qt_msgbox_label");
    ASSERT_NE(label, nullptr);
    const QFontMetrics metrics = label->fontMetrics();
    EXPECT_LE(metrics.horizontalAdvance(prompt.section("\r\n", 0, 0)), label->width());
    EXPECT_LT(label->heightForWidth(label->width()), 3 * metrics.lineSpacing());
    EXPECT_LE(box->frameGeometry().width(), box->screen()->availableGeometry().width());
    EXPECT_EQ(box->windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
              Qt::WindowCloseButtonHint);

    const auto answer = [](Qt::Key key) {
        const auto asked = MakeMessageBox(nullptr, "Sure?", 52, "Title");
        asked->show();
        QTest::keyClick(asked.get(), key);
        return AnswerOf(*asked);
    };
    EXPECT_EQ(answer(Qt::Key_Escape), vbNo);
    EXPECT_EQ(answer(Qt::Key_Return), vbYes);
}

}  // namespace
}  // namespace brindle::ui::qt

namespace brindle::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, AddinWindow, ui::qt::QtBench);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, OptionsDialog, ui::qt::QtDialog);
}  // namespace brindle::test

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
