// The options dialogs' shared suite over the Qt dialog, on the offscreen platform.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "ui/OptionsSuite.h"
#include "ui/qt/QtText.h"
#include "ui/qt/QtWindows.h"

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
    std::vector<std::string> TabNames() override {
        std::vector<std::string> names;
        for (int i = 0; i < Tabs().count(); ++i) {
            names.push_back(Tabs().tabText(i).toStdString());
        }
        return names;
    }
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

QDialog* ShownForm() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "frmOptions" && widget->isVisible()) {
            return qobject_cast<QDialog*>(widget);
        }
    }
    return nullptr;
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

}  // namespace
}  // namespace brindle::ui::qt

namespace brindle::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, OptionsDialog, ui::qt::QtDialog);
}  // namespace brindle::test

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
