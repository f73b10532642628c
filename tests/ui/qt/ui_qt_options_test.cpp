// The options dialog hosted by the add-in on our IDE, on the offscreen platform: what it
// shows, what OK applies, what every other way out leaves alone, and LastDir.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
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
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "addin/Brindle.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "host/settings/SettingsFile.h"
#include "support/OptionsBench.h"
#include "support/RecordingSink.h"
#include "support/TestPaths.h"
#include "templates/OptionStore.h"
#include "ui/qt/QtWindows.h"
#include "util/DateFormat.h"

namespace fs = std::filesystem;

namespace brindle::ui::qt {
namespace {

QString Native(const fs::path& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path.string()));
}

// The add-in connected to our IDE with the Qt windows, its options in a settings file of its
// own and its templates in a temporary folder.
struct Workbench : test::OptionsBench<QtWindows> {
    // Opens the dialog with the Options button and runs `act` on it once it is shown; a
    // dialog that `act` leaves open is cancelled, so no check waits for a person.
    void WithOptions(const std::function<void(QDialog&)>& act) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            QPointer<QDialog> form = Form();
            QVERIFY(form != nullptr);
            shown = form->isVisible();
            try {
                act(*form);
            } catch (const std::exception& e) {
                QTest::qFail(e.what(), __FILE__, __LINE__);
            }
            if (form && form->isVisible()) {
                form->reject();
            }
        });
        QVERIFY(vbe.Click("Brindle Options..."));
        QVERIFY(shown);
        QVERIFY(Form() == nullptr);  // unloaded
    }

    static QDialog* Form() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "frmOptions") {
                return qobject_cast<QDialog*>(widget);
            }
        }
        return nullptr;
    }
};

template <class T>
T& Control(QWidget& form, const char* name) {
    T* control = form.findChild<T*>(name);
    if (control == nullptr) {
        throw std::runtime_error(std::string("no control ") + name);
    }
    return *control;
}

// Clicks a button on its caption, where a person would.
void Click(QWidget& button) {
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(8, button.height() / 2));
}

void Type(QLineEdit& box, const QString& text) {
    box.selectAll();
    QTest::keyClicks(&box, text);
}

}  // namespace

class OptionsTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlInItsTabAndRowWithItsCaption() {
        Workbench bench;
        bench.WithOptions([](QDialog& form) {
            QCOMPARE(form.windowTitle(), QString("Brindle Options"));
            auto& tabs = Control<QTabWidget>(form, "tabOptions");
            QCOMPARE(tabs.count(), 2);
            QCOMPARE(tabs.tabText(0), QString("General"));
            QCOMPARE(tabs.tabText(1), QString("Templates"));
            QCOMPARE(tabs.currentIndex(), 0);
            QCOMPARE(form.minimumSize(), form.maximumSize());  // not resizable
            QCOMPARE(form.windowFlags() & (Qt::WindowType_Mask | Qt::WindowMinMaxButtonsHint |
                                           Qt::WindowCloseButtonHint),
                     Qt::Dialog | Qt::WindowCloseButtonHint);
            const QRect screen = QGuiApplication::primaryScreen()->geometry();
            // Centred at load, when the frame is not known yet.
            QCOMPARE(form.pos(), QPoint((screen.width() - form.width()) / 2,
                                        (screen.height() - form.height()) / 2));

            struct Row {
                const char* name;
                const char* caption;  // nullptr: a text box
                int tab;              // -1: below the tabs
                int row;
                int column;
            };
            const std::vector<Row> rows = {
                {"Label1", "&Author", 0, 0, 0},
                {"txtAuthor", nullptr, 0, 0, 1},
                {"chkCodeMarkers",
                 "Add &Code Markers (Allows for removal of code added by Brindle)", 0, 1, 0},
                {"chkDisableSplash", "&Disable splash screen on startup", 0, 2, 0},
                {"chkSkipExisting", "&Skip headers and error handlers already there", 0, 3, 0},
                {"lblDateFormat", "Date &Format", 0, 4, 0},
                {"txtDateFormat", nullptr, 0, 4, 1},
                {"cmdLoadModHdrTmplt", "&Module Header ...", 1, 0, 0},
                {"txtModHdrFname", nullptr, 1, 0, 1},
                {"cmdLoadProcHdrTmplt", "&Procedure Header ...", 1, 1, 0},
                {"txtProcHdrFname", nullptr, 1, 1, 1},
                {"cmdLoadErrHdrTmplt", "Error &Handler Header ...", 1, 2, 0},
                {"txtErrHdrFname", nullptr, 1, 2, 1},
                {"cmdLoadErrFtrTmplt", "&Error Handler Footer ...", 1, 3, 0},
                {"txtErrFtrFname", nullptr, 1, 3, 1},
                {"lblHelp", "Press F1 for help on VB Brindle", -1, 0, 0},
                {"cmdOK", "OK", -1, 0, 1},
                {"cmdCancel", "Cancel", -1, 0, 2},
            };
            // Rows and columns by place: what stands lower or further right has the larger
            // number within its tab.
            for (const Row& row : rows) {
                if (row.tab >= 0) {
                    tabs.setCurrentIndex(row.tab);
                }
                QWidget& control = Control<QWidget>(form, row.name);
                const QString caption = control.property("text").toString();
                if (row.caption != nullptr) {
                    QCOMPARE(caption, QString(row.caption));
                }
                QWidget* page = row.tab < 0 ? &form : tabs.widget(row.tab);
                QVERIFY2(page->isAncestorOf(&control), row.name);
                if (row.tab < 0) {
                    QVERIFY2(control.mapTo(&form, QPoint()).y() > tabs.geometry().bottom(),
                             row.name);
                }
                for (const Row& other : rows) {
                    if (other.tab != row.tab) {
                        continue;
                    }
                    const QRect a = Control<QWidget>(form, row.name).geometry();
                    const QRect b = Control<QWidget>(form, other.name).geometry();
                    if (other.row > row.row) {
                        QVERIFY2(b.top() > a.top(), other.name);
                    }
                    if (other.row == row.row && other.column > row.column) {
                        QVERIFY2(b.left() > a.right(), other.name);
                        QVERIFY2(qAbs(b.center().y() - a.center().y()) <= 2, other.name);
                    }
                }
            }
            QVERIFY(Control<QPushButton>(form, "cmdOK").isDefault());
        });
    }

    // Tab walks the shown tab's controls top to bottom, then OK and Cancel, then the tabs; no
    // two captions share an access key; the template boxes have names and show their whole path.
    void keyboardWalksTheDialogInOrder() {
        Workbench bench;
        bench.WithOptions([](QDialog& form) {
            std::vector<std::string> captions;
            for (const auto* control : form.findChildren<QAbstractButton*>()) {
                captions.push_back(control->text().toStdString());
            }
            for (const auto* label : form.findChildren<QLabel*>()) {
                captions.push_back(label->text().toStdString());
            }
            QCOMPARE(test::RepeatedAccessKeys(captions), std::string());

            auto& tabs = Control<QTabWidget>(form, "tabOptions");
            const auto walk = [&](std::vector<const char*> names) {
                QApplication::setActiveWindow(&form);
                Control<QWidget>(form, names.front()).setFocus();
                for (std::size_t i = 1; i <= names.size(); ++i) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    const char* expected = names[i % names.size()];
                    QWidget* focus = QApplication::focusWidget();
                    QVERIFY2(focus != nullptr && (focus->objectName() == expected ||
                                                  (focus->parentWidget() == &tabs &&
                                                   std::string(expected) == "tabOptions")),
                             expected);
                }
            };
            walk({"txtAuthor", "chkCodeMarkers", "chkDisableSplash", "chkSkipExisting",
                  "txtDateFormat", "cmdOK", "cmdCancel", "tabOptions"});
            tabs.setCurrentIndex(1);
            walk({"cmdLoadModHdrTmplt", "txtModHdrFname", "cmdLoadProcHdrTmplt", "txtProcHdrFname",
                  "cmdLoadErrHdrTmplt", "txtErrHdrFname", "cmdLoadErrFtrTmplt", "txtErrFtrFname",
                  "cmdOK", "cmdCancel", "tabOptions"});

            // Alt and a box's key reach the box.
            tabs.setCurrentIndex(0);
            QTest::keyClick(&form, Qt::Key_F, Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), &Control<QWidget>(form, "txtDateFormat"));

            auto& box = Control<QLineEdit>(form, "txtErrFtrFname");
            QCOMPARE(box.accessibleName(), QString("Error handler footer template file"));
            Type(box, "/a/long/way/down/to/the/team's/templates/Footer.txt");
            QCOMPARE(box.toolTip(), box.text());
            auto& date = Control<QLineEdit>(form, "txtDateFormat");
            Type(date, "ISO");
            QVERIFY(date.toolTip().contains(QString::fromUtf8(kDateFormatHint)));
        });
    }

    void onlyOkApplies_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Enter is OK") << 0;
        QTest::newRow("Cancel") << 1;
        QTest::newRow("Escape") << 2;
        QTest::newRow("the window's close button") << 3;
    }

    // The dialog shows the current options. OK applies the controls and reads the templates
    // again; every other way out leaves both as they were. It opens on its first tab again.
    void onlyOkApplies() {
        QFETCH(int, way);
        const bool ok = way == 0;
        Workbench bench;
        bench.Write("proc.txt", "' Procedure %ProcName%\r\n");
        const std::string proc = (bench.dir.path() / "proc.txt").string();
        const std::string procBefore = bench.Fields().msProcHdrTmplt;
        bench.WithOptions([&](QDialog& form) {
            auto& author = Control<QLineEdit>(form, "txtAuthor");
            QCOMPARE(author.text(), QString("Ann Author"));
            QVERIFY(Control<QCheckBox>(form, "chkCodeMarkers").isChecked());
            QVERIFY(!Control<QCheckBox>(form, "chkDisableSplash").isChecked());
            QVERIFY(!Control<QCheckBox>(form, "chkSkipExisting").isChecked());
            QCOMPARE(Control<QLineEdit>(form, "txtModHdrFname").text(),
                     QString::fromStdString((bench.dir.path() / "module.txt").string()));
            // The stored defaults, as the user sees them.
            QCOMPARE(Control<QLineEdit>(form, "txtErrHdrFname").text(),
                     QString(".\\Templates\\StandardVBErrHeader.txt"));

            auto& dateFormat = Control<QLineEdit>(form, "txtDateFormat");
            QCOMPARE(dateFormat.text(), QString("Short Date"));
            Type(dateFormat, "ISO");
            Type(author, "Bea Builder");
            for (const char* box : {"chkCodeMarkers", "chkDisableSplash", "chkSkipExisting"}) {
                Click(Control<QCheckBox>(form, box));
            }
            Type(Control<QLineEdit>(form, "txtProcHdrFname"), QString::fromStdString(proc));
            bench.Write("module.txt", "' Changed %ModuleName%\r\n");
            if (ok) {
                QTest::keyClick(&author, Qt::Key_Return);
                return;
            }
            Control<QTabWidget>(form, "tabOptions").setCurrentIndex(1);
            if (way == 1) {
                Click(Control<QPushButton>(form, "cmdCancel"));
            } else if (way == 2) {
                QTest::keyClick(&form, Qt::Key_Escape);
            } else {
                form.close();
            }
            QVERIFY(!form.isVisible());
        });
        const AddinFields& fields = bench.Fields();
        QCOMPARE(fields.msAuthor, std::string(ok ? "Bea Builder" : "Ann Author"));
        QCOMPARE(fields.msDateFormat, std::string(ok ? "ISO" : "Short Date"));
        QCOMPARE(fields.mbAddCodeMarkers, !ok);
        QCOMPARE(fields.mbDisableSplash, ok);
        QCOMPARE(fields.mbSkipExisting, ok);
        QCOMPARE(fields.msModHdrTmplt,
                 std::string(ok ? "' Changed %ModuleName%\n" : "' Module %ModuleName%\n"));
        QCOMPARE(fields.msProcHdrTmplt, ok ? std::string("' Procedure %ProcName%\n") : procBefore);
        QCOMPARE(fields.msErrHdrFname, std::string(".\\Templates\\StandardVBErrHeader.txt"));
        QVERIFY(!fields.msErrHdrTmplt.empty());  // the default, found among the templates
        bench.WithOptions([](QDialog& form) {
            QCOMPARE(Control<QTabWidget>(form, "tabOptions").currentIndex(), 0);
        });
        QVERIFY(bench.sink.reported.empty());
    }

    void templateButtonFillsItsBoxAndLastDir_data() {
        QTest::addColumn<int>("row");         // of the Templates tab
        QTest::addColumn<QString>("chosen");  // empty: the file dialog is cancelled
        QTest::addColumn<QString>("lastDir");
        QTest::newRow("a file in its folder") << 0 << "mine/Header.txt"
                                              << "mine/";
        QTest::newRow("letter case counts") << 1 << "foot.TXT/foot.txt"
                                            << "foot.TXT/";
        QTest::newRow("a folder of the same name above it") << 2 << "p.txt/p.txt"
                                                            << "p.txt/";
        QTest::newRow("the name ending a longer folder name") << 3 << "my.txt/y.txt"
                                                              << "my.txt/";
        QTest::newRow("cancelled") << 0 << ""
                                   << "start/";
    }

    // A chosen file fills the box and sets LastDir; Cancel in the options dialog keeps the
    // options but not the dialog's LastDir, where the next file dialog starts; OK applies it.
    void templateButtonFillsItsBoxAndLastDir() {
        QFETCH(int, row);
        QFETCH(QString, chosen);
        QFETCH(QString, lastDir);
        const std::array<std::pair<const char*, const char*>, 4> rows = {{
            {"cmdLoadModHdrTmplt", "txtModHdrFname"},
            {"cmdLoadProcHdrTmplt", "txtProcHdrFname"},
            {"cmdLoadErrHdrTmplt", "txtErrHdrFname"},
            {"cmdLoadErrFtrTmplt", "txtErrFtrFname"},
        }};
        // Not a structured binding: clang 14's lambdas cannot capture one.
        const char* const button = rows.at(static_cast<std::size_t>(row)).first;
        const char* const box = rows.at(static_cast<std::size_t>(row)).second;
        Workbench bench;
        const fs::path file = bench.dir.path() / chosen.toStdString();
        if (!chosen.isEmpty()) {
            bench.Write(file, "' chosen\r\n");
        }
        const std::string stored = bench.dir.path().string() + "\\start\\";
        const QString folder = Native(bench.dir.path() / lastDir.toStdString());
        // Clicks the button with the file dialog's answer given; where the dialog started.
        const auto choose = [&](QDialog& form, FileChoice choice) {
            bench.windows.Answers().SetNextFileChoice(std::move(choice));
            Click(Control<QPushButton>(form, button));
            return Control<QFileDialog>(form, "cdlOpenFiles").directory().absolutePath();
        };
        QString before;
        bench.WithOptions([&](QDialog& form) {
            before = Control<QLineEdit>(form, box).text();
            const FileChoice choice = chosen.isEmpty() ? FileChoice() : Native(file);
            QCOMPARE(choose(form, choice), Native(bench.dir.path() / "start"));
            auto& dialog = Control<QFileDialog>(form, "cdlOpenFiles");
            QCOMPARE(dialog.nameFilters(), QStringList({"Text (*.txt)", "All Files (*)"}));
            QCOMPARE(dialog.defaultSuffix(), QString("txt"));
            QCOMPARE(Control<QLineEdit>(form, box).text(), choice.value_or(before));
            Click(Control<QPushButton>(form, "cmdCancel"));
        });
        QCOMPARE(bench.Fields().msLastDir, stored);
        bench.WithOptions([&](QDialog& form) {
            QCOMPARE(choose(form, std::nullopt), QDir(folder).absolutePath());
            QCOMPARE(Control<QLineEdit>(form, box).text(), before);
            Click(Control<QPushButton>(form, "cmdOK"));
        });
        QCOMPARE(QString::fromStdString(bench.Fields().msLastDir),
                 chosen.isEmpty() ? QString::fromStdString(stored) : folder);
        QVERIFY(bench.sink.reported.empty());
    }
};

}  // namespace brindle::ui::qt

QTEST_MAIN(brindle::ui::qt::OptionsTest)
#include "ui_qt_options_test.moc"
