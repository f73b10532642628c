// The workbench on the offscreen platform, driven as a user would, dialogs answered in
// advance: only what it adds to the add-in, whose rules are the core's and the host's suites'.

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "host/files/FileSystem.h"
#include "host/ide/MemoryProject.h"
#include "host/vb6/CodePage.h"
#include "support/TestPaths.h"
#include "workbench/CodeWindow.h"
#include "workbench/Dialogs.h"
#include "workbench/EditorText.h"
#include "workbench/FindReplace.h"
#include "workbench/MainWindow.h"
#include "workbench/VbLexer.h"

namespace fs = std::filesystem;

namespace brindle::workbench {
namespace {

// The add-in's entries as its menus show them.
const QString kAddModHdr = "Add Module Header";
const QString kAddHeaders = "Add Header(s) to Selected Procedures";
const QString kAddErrHandlers = "Add Error Handler(s) to Selected Procedures";
const QString kRemoveMarkers = "Remove Brindle Markers from Selection";
const QString kRemoveAll = "Remove Code Added by Brindle from Selection";
const QString kOptions = "Brindle Options...";
const QString kCloseAll = "Close All Windows";
const QString kAddAllToProj = "Add Headers And Error Handlers to Entire Project";
const QString kRefresh = "Refresh Brindle Code";

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// The example project copied into a temporary folder, opened in a shown main window.
struct Bench {
    explicit Bench(const std::string& project = "Inventory.vbp") {
        fs::copy(test::SourceDir() / "examples", ex, fs::copy_options::recursive);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (!project.empty()) {
            QVERIFY(window.Open({Q(ex / project)}));
        }
    }

    host::MemoryComponent& Component(const std::string& name) {
        for (const auto& project : window.Work().Projects()) {
            for (const auto& module : project->modules) {
                if (module->Component().Name() == name) {
                    return module->Component();
                }
            }
        }
        throw std::runtime_error("no component " + name);
    }
    CodeWindow& Code(const std::string& name) {
        CodeWindow* code = window.OpenCodeWindow(Component(name));
        if (code == nullptr) {
            throw std::runtime_error("no code window for " + name);
        }
        return *code;
    }
    std::string File(const std::string& name) { return test::ReadBytes(ex / name); }
    std::vector<std::string> Modules() {
        std::vector<std::string> all;
        for (const char* name : {"modMain", "CStockItem", "frmMain"}) {
            all.push_back(Component(name).Serialize());
        }
        return all;
    }
    ui::qt::DialogAnswers& Answers() { return window.Host().Windows().Answers(); }
    QMenu& FileMenu() { return *window.menuBar()->actions().front()->menu(); }
    std::unique_ptr<QMenu> ProjectMenu() {
        return window.ProjectMenu(*window.Work().Projects().front());
    }
    QString Told() { return window.Output().Entries().join('\n'); }
    QString Last() { return window.Output().Entries().last(); }
    QDockWidget& Dock(const char* name) { return *window.findChild<QDockWidget*>(name); }

    test::TempDir dir;
    fs::path ex = dir.path() / "ex";
    WorkbenchSettings settings{Q(dir.path() / "workbench.ini")};
    MainWindow window{settings};
};

QStringList Texts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

void Trigger(QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text) {
            action->trigger();
            return;
        }
    }
    QFAIL(qPrintable("no entry " + text));
}

// What the editor shows against what the module holds, line for line.
void ShowsItsModule(CodeWindow& code) {
    const host::MemoryCodeModule& module = *code.Component().Code();
    QCOMPARE(code.Editor().text().toStdString(),
             DisplayLines(module, code.Component().CodePage(), 1, module.CountOfLines(), false));
}

// The caret's line and index.
std::pair<int, int> Caret(CodeWindow& code) {
    int line = 0;
    int index = 0;
    code.Editor().getCursorPosition(&line, &index);
    return {line, index};
}

// Puts the caret `after` characters into the first occurrence of `text`.
void CaretAt(CodeWindow& code, const QString& text, qsizetype after) {
    const QString all = code.Editor().text();
    const QString upTo = all.left(all.indexOf(text) + after);
    code.Editor().setCursorPosition(int(upTo.count('\n')),
                                    int(upTo.size() - upTo.lastIndexOf('\n') - 1));
}

// The first item of the project window with that text.
QTreeWidgetItem* TreeItem(QTreeWidget& tree, const QString& text) {
    for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
        if ((*it)->text(0) == text) {
            return *it;
        }
    }
    return nullptr;
}

void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace

class WorkbenchTest : public QObject {
    Q_OBJECT

private slots:
    // The project window groups the components as the IDE does; the three command bars are
    // the menus, the workbench's own entries first and then the add-in's in their groups. The
    // Add-In Manager connects and disconnects the add-in, and keeps Load on Startup.
    void projectWindowMenusAndTheAddInManager() {
        Bench bench;
        const auto splashes = [] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::count_if(windows.begin(), windows.end(), [](const QWidget* window) {
                return window->objectName() == "frmSplash" && window->isVisible();
            });
        };
        bench.window.BeginStartup();
        QCOMPARE(splashes(), 0);  // not before the start-up is complete
        bench.window.FinishStartup();
        QCOMPARE(splashes(), 1);
        QTreeWidgetItem* project = bench.window.ProjectTree().topLevelItem(0);
        QCOMPARE(project->text(0), QStringLiteral("Inventory (Inventory.vbp)"));
        QStringList folders;
        for (int i = 0; i < project->childCount(); ++i) {
            folders << project->child(i)->text(0) + ": " + project->child(i)->child(0)->text(0);
        }
        QCOMPARE(folders,
                 QStringList({"Forms: frmMain (frmMain.frm)", "Modules: modMain (modMain.bas)",
                              "Class Modules: CStockItem (CStockItem.cls)",
                              "User Controls: ctlGauge (ctlGauge.ctl)"}));

        bench.Code("modMain");
        const QStringList code = {"Cut", "Copy", "Paste", "Select All", "Definition"};
        QCOMPARE(Texts(*bench.window.CodeWindowMenu()),
                 code + QStringList({"-", kAddModHdr, kAddHeaders, kAddErrHandlers, "-",
                                     kRemoveMarkers, kRemoveAll, "-", kOptions, "-", kRefresh}));
        QCOMPARE(Texts(bench.window.ToolsMenu()), QStringList({"Code Page...", "-", kCloseAll}));
        QCOMPARE(
            Texts(*bench.ProjectMenu()),
            QStringList({"Save Project", "Close Project", "Code Page...", "-", kAddAllToProj, "-",
                         "Remove All Code Markers from Entire Project",
                         "Remove All Code Added by Brindle from Entire Project", "-", kRefresh}));

        const auto manage = [&](bool loaded, bool onStartup) {
            bench.window.runDialog = [&](QDialog& dialog) {
                auto& manager = dynamic_cast<AddInManager&>(dialog);
                manager.SetLoaded(loaded);
                manager.SetLoadOnStartup(onStartup);
                return int(QDialog::Accepted);
            };
            bench.window.ShowAddInManager();
            QCOMPARE(bench.window.Host().Loaded(), loaded);
            QCOMPARE(bench.settings.LoadOnStartup(), onStartup);
            QCOMPARE(Texts(*bench.window.CodeWindowMenu()).size(), loaded ? 16 : 5);
        };
        manage(false, true);
        QCOMPARE(Texts(bench.window.ToolsMenu()), QStringList({"Code Page..."}));
        manage(true, false);
        QCOMPARE(Texts(bench.window.ToolsMenu()).size(), 3);
    }

    // Recent projects by file name as it is, two of one name told apart by folder; one that is
    // gone leaves the list when chosen. A file not of VB6 is told plainly.
    void recentProjects() {
        Bench bench("");
        fs::copy_file(bench.ex / "Inventory.vbp", bench.ex / "Stock&Sales.vbp");
        QVERIFY(bench.window.Open({Q(bench.ex / "Stock&Sales.vbp")}));
        QVERIFY(bench.window.CloseProject());
        QMenu& file = bench.FileMenu();
        emit file.aboutToShow();
        Trigger(file, "&1 Stock&&Sales.vbp");
        QCOMPARE(bench.window.Work().Projects().size(), std::size_t{1});
        QVERIFY(bench.window.CloseProject());

        const fs::path copy = bench.dir.path() / "copy";
        fs::copy(bench.ex, copy, fs::copy_options::recursive);
        bench.settings.AddRecentProject(bench.ex / "Inventory.vbp");
        bench.settings.AddRecentProject(copy / "Inventory.vbp");
        fs::remove_all(copy);
        emit file.aboutToShow();
        const QString shown = "&1 Inventory.vbp (" + QDir::toNativeSeparators(Q(copy)) + ")";
        bench.Answers().SetNextAnswer(vbOK);
        Trigger(file, shown);
        QVERIFY(bench.window.Work().Projects().empty());
        emit file.aboutToShow();
        QCOMPARE(Texts(file).filter(QRegularExpression("^&\\d ")),
                 QStringList({"&1 Inventory.vbp", "&2 Stock&&Sales.vbp"}));

        test::WriteBytes(bench.ex / "notes.txt", "to do\r\n");
        QVERIFY(!bench.window.Open({Q(bench.ex / "notes.txt")}));
        QVERIFY(bench.Last().contains("not a file of VB6"));
    }

    // A command on the selected lines changes module and editor alike, as one step. Saving
    // writes only the changed modules; a file changed on disk meanwhile is told and kept.
    void commandAndSave() {
        Bench bench;
        bench.window.BeginStartup();
        host::MemoryComponent& component = bench.Component("modMain");
        CodeWindow& code = bench.Code("modMain");
        code.Editor().setSelection(53, 0, 64, 12);  // LevelOf
        Trigger(*bench.window.CodeWindowMenu(), kAddErrHandlers);
        const std::string changed = component.Serialize();
        QVERIFY(changed.find("BrindleErrorHandler") != std::string::npos);
        ShowsItsModule(code);
        QCOMPARE(QString::fromStdString(code.History().UndoName()), kAddErrHandlers);
        const std::string form = bench.File("frmMain.frm");
        bench.window.SaveAll();
        QCOMPARE(bench.File("modMain.bas"), changed);
        QCOMPARE(bench.File("frmMain.frm"), form);

        code.Editor().insertAt("' mine", 1, 0);
        test::WriteBytes(bench.ex / "modMain.bas", "theirs");
        bench.window.SaveAll();
        QCOMPARE(bench.File("modMain.bas"), std::string("theirs"));
        QVERIFY(bench.Last().contains("changed on disk"));
    }

    // Open Project and leaving ask first about unsaved modules (Cancel, No, Yes). An added
    // project stays the active one; the tree and the captions tell two alike apart.
    void unsavedModulesAndOpeningProjects() {
        Bench bench;
        const fs::path other = bench.dir.path() / "other";
        fs::copy(bench.ex, other, fs::copy_options::recursive);
        const std::string original = bench.File("CStockItem.cls");
        const auto& projects = bench.window.Work().Projects();
        bench.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&bench.window));
        bench.Code("modMain").Editor().setFocus();
        bench.Answers().SetNextFileChoice(Q(other / "Inventory.vbp"));
        Trigger(bench.FileMenu(), "A&dd Project...");
        QCOMPARE(projects.size(), std::size_t{2});
        QVERIFY(TreeItem(bench.window.ProjectTree(), "Inventory (ex/Inventory.vbp)"));
        QVERIFY(TreeItem(bench.window.ProjectTree(), "Inventory (other/Inventory.vbp)"));
        QCOMPARE(bench.window.Windows().front()->windowTitle(),
                 QStringLiteral("Inventory - modMain (Code)"));
        bench.window.ProjectTree().setFocus();  // as after a menu
        QCOMPARE(bench.window.Host().Ide().ActiveVBProject(), projects.back()->project.get());

        bench.Code("CStockItem").Editor().insertAt("' changed\n", 0, 0);
        for (const VbMsgBoxResult answer : {vbCancel, vbNo}) {
            bench.Answers().SetNextFileChoice(Q(other / "Inventory.vbp"));
            bench.Answers().SetNextAnswer(answer);
            Trigger(bench.FileMenu(), "&Open Project...");
            Settle();
            QCOMPARE(projects.size(), std::size_t(answer == vbCancel ? 2 : 1));
        }
        QVERIFY(host::SameFile(projects.front()->file, other / "Inventory.vbp"));
        QVERIFY(bench.window.Windows().empty());
        QCOMPARE(bench.File("CStockItem.cls"), original);

        bench.Code("CStockItem").Editor().insertAt("' changed\n", 0, 0);
        bench.Answers().SetNextAnswer(vbYes);
        QVERIFY(bench.window.close());
        QVERIFY(test::ReadBytes(other / "CStockItem.cls") != original);
    }

    // A Shift-JIS project read as 1252 is told; choosing 932 asks about unsaved modules, then
    // reloads it in place, writes an edit in Shift-JIS and keeps every other byte ("?" for what
    // 932 lacks, told). A group naming a project beyond ASCII is read again whole.
    void codePages() {
        Bench bench("");
        const fs::path folder = bench.dir.path() / "jp";
        fs::create_directories(folder);
        // "在庫" (stock), "表示" (show: its second byte is a backslash), "モジュール" (module:
        // a second byte is "[").
        const std::string stock = "\x8d\xdd\x8c\xc9", show = "\x95\x5c\x8e\xa6",
                          module = "\x83\x82\x83\x57\x83\x85\x81\x5b\x83\x8b";
        const std::string bas = "Attribute VB_Name = \"" + module + "\"\r\nOption Explicit\r\n' " +
                                stock + "\r\nPublic Sub " + show + "()\r\n    MsgBox \"" + stock +
                                "\"\r\nEnd Sub\r\n";
        test::WriteBytes(folder / "モジュール.bas", bas);
        test::WriteBytes(folder / "Plain.bas", "Attribute VB_Name = \"Plain\"\r\n");
        test::WriteBytes(folder / "Stock.vbp", "Type=Exe\r\nModule=Mod1; " + module +
                                                   ".bas\r\nModule=Plain; Plain.bas\r\nName=\"" +
                                                   stock + "\"\r\n");
        QVERIFY(bench.window.Open({Q(folder / "Stock.vbp")}));
        QCOMPARE(bench.window.ProjectTree().topLevelItem(0)->child(0)->childCount(), 1);
        QVERIFY2(bench.Told().contains("beyond ASCII, read in code page 1252: if the project was"),
                 qPrintable(bench.Told()));
        QVERIFY(bench.window.StatusNote().contains("Code Page"));

        bench.Code("Plain").Editor().insertAt("' mine\n", 0, 0);
        bench.window.runDialog = [](QDialog& dialog) {
            dynamic_cast<CodePageDialog&>(dialog).SetCodePage(932);
            return int(QDialog::Accepted);
        };
        bench.Answers().SetNextAnswer(vbCancel);
        bench.window.ChooseCodePage();
        QCOMPARE(bench.window.Work().Projects().front()->codePage, 1252);
        bench.Answers().SetNextAnswer(vbNo);
        bench.window.ChooseCodePage();
        Settle();
        QCOMPARE(bench.window.Work().Projects().front()->codePage, 932);
        QCOMPARE(bench.window.Windows().size(), std::size_t{1});  // shown again
        QVERIFY(bench.window.Work().Unsaved().empty());
        QVERIFY(!bench.window.StatusNote().contains("Code Page"));
        QCOMPARE(bench.settings.CodePage(folder / "Stock.vbp"), 932);
        QCOMPARE(bench.window.ProjectTree().topLevelItem(0)->text(0),
                 QStringLiteral("在庫 (Stock.vbp)"));
        QVERIFY(TreeItem(bench.window.ProjectTree(), "モジュール (モジュール.bas)") != nullptr);

        CodeWindow& code = bench.Code(module);
        QCOMPARE(code.Editor().text(), QStringLiteral("Option Explicit\n' 在庫\nPublic Sub 表示()\n"
                                                      "    MsgBox \"在庫\"\nEnd Sub"));
        code.Editor().setCursorPosition(2, 0);
        QTRY_COMPARE(code.Procedures().currentText(), QStringLiteral("表示"));
        code.Editor().insertAt(QStringLiteral("' 表示する\n"), 3, 0);
        bench.window.SaveAll();
        std::string expected = bas;
        expected.insert(expected.find("    MsgBox"), "' " + show + "\x82\xb7\x82\xe9\r\n");
        QCOMPARE(test::ReadBytes(folder / "モジュール.bas"), expected);
        code.Editor().insertAt(QStringLiteral("é"), 0, 0);
        QCOMPARE(code.Component().Code()->Lines(1, 1), std::string("?Option Explicit"));
        QVERIFY(bench.Last().contains("cannot hold"));
        QTRY_COMPARE(code.Editor().text(0), QStringLiteral("?Option Explicit\n"));

        test::WriteBytes(folder / "Plain.vbp", "Type=Exe\r\nModule=Plain; Plain.bas\r\n");
        test::WriteBytes(folder / "在庫.vbp", "Type=Exe\r\nModule=Zaiko; Zaiko.bas\r\n");
        test::WriteBytes(folder / "Zaiko.bas", "Attribute VB_Name = \"Zaiko\"\r\n");
        test::WriteBytes(
            folder / "Both.vbg",
            "VBGROUP 5.0\r\nStartupProject=Plain.vbp\r\nProject=" + stock + ".vbp\r\n");
        test::WriteBytes(folder / "Only.vbg", "VBGROUP 5.0\r\nProject=" + stock + ".vbp\r\n");
        for (const std::string group : {"Both.vbg", "Only.vbg"}) {
            bench.Answers().SetNextAnswer(vbNo);
            while (bench.window.CloseProject()) {
            }
            QCOMPARE(bench.window.Open({Q(folder / group)}), group == "Both.vbg");
            bench.window.ChooseCodePage();
            QCOMPARE(bench.window.Work().Projects().back()->codePage, 932);
            QCOMPARE(bench.window.Work().Projects().size(),
                     std::size_t(group == "Both.vbg" ? 2 : 1));
        }
        QCOMPARE(bench.settings.CodePage(folder / "Both.vbg"), 932);
    }

    // Ctrl+R shows the project window when it is hidden and gives it the focus, and never
    // hides it; Ctrl+G does the same for the output window. The project window keeps its width.
    void ctrlRShowsTheProjectWindow() {
        Bench bench;
        bench.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&bench.window));
        QDockWidget* dock = &bench.Dock("projectDock");
        for (const bool hiddenFirst : {false, true, false}) {
            CodeWindow& code = bench.Code("modMain");
            code.Editor().setFocus();
            if (hiddenFirst) {
                dock->hide();
            }
            QTest::keyClick(&code.Editor(), Qt::Key_R, Qt::ControlModifier);
            QVERIFY(dock->isVisible());
            QCOMPARE(QApplication::focusWidget(), &bench.window.ProjectTree());
        }
        QTest::keyClick(&bench.window.ProjectTree(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(bench.Dock("outputDock").isAncestorOf(QApplication::focusWidget()));

        const int width = dock->width();
        bench.window.resize(240, 400);
        QTRY_VERIFY(dock->width() < width);
        bench.window.resize(1100, 760);
        QTRY_COMPARE(dock->width(), width);
    }

    // A project command's summary and warnings reach the output window; a warning's entry
    // opens its module (of the right project) at its line; a failure shows in the status bar.
    void theOutputWindow() {
        Bench bench;
        bench.window.BeginStartup();
        bench.Answers().SetNextAnswer(vbYes);
        Trigger(*bench.ProjectMenu(), kAddAllToProj);
        QVERIFY2(bench.Last().startsWith("Note |  | 4 modules: "), qPrintable(bench.Told()));

        const fs::path other = bench.dir.path() / "other";
        fs::copy(test::SourceDir() / "examples", other, fs::copy_options::recursive);
        QVERIFY(bench.window.Open({Q(other / "Inventory.vbp")}));
        host::MemoryComponent& second =
            *bench.window.Work().Projects().back()->modules.front()->loaded.component;
        QCOMPARE(second.Name(), std::string("modMain"));
        CodeWindow* code = bench.window.OpenCodeWindow(second);
        code->Editor().insertAt("' [Brindle Begin]\n", 5, 0);
        code->Editor().selectAll(true);
        bench.Answers().SetNextAnswer(vbYes);
        Trigger(*bench.window.CodeWindowMenu(), kRemoveMarkers);
        code->Editor().setCursorPosition(20, 0);
        Trigger(*bench.window.CodeWindowMenu(), kAddModHdr);
        const QStringList entries = bench.window.Output().Entries();
        const auto warning =
            entries.indexOf(QRegularExpression("^Warning \\| modMain \\| line 6.*"));
        QVERIFY2(warning >= 0, qPrintable(bench.Told()));

        Trigger(bench.window.ToolsMenu(), kCloseAll);
        Settle();
        QVERIFY(bench.window.Windows().empty());
        QVERIFY(bench.Dock("projectDock").isVisible() && bench.Dock("outputDock").isVisible());
        bench.window.Output().Activate(int(warning));
        QCOMPARE(&bench.window.ActiveCodeWindow()->Component(), &second);
        QCOMPARE(Caret(*bench.window.ActiveCodeWindow()).first, 5);

        Trigger(bench.window.ToolsMenu(), kCloseAll);
        Settle();
        const auto failures = [&] {
            return bench.window.Output().Entries().filter(QRegularExpression("^Error ")).size();
        };
        const qsizetype told = failures();
        Trigger(*bench.window.CodeWindowMenu(), kAddModHdr);
        QVERIFY2(failures() == told, qPrintable(bench.Told()));
        bench.window.Output().Report(VbError(Err::ObjectNotSet, "Brindle.AddModHdr"));
        const QString last = bench.Last();
        QVERIFY2(last.startsWith("Error 91 |") && last.contains("Brindle.AddModHdr"),
                 qPrintable(last));
        QVERIFY(bench.window.StatusNote().contains("Output window"));
    }

    // Team files and skip comments: the project window shows what is left alone and why, the
    // options dialog greys what the team sets (F1: help), edits to the files apply at once,
    // and the team's values follow the active project.
    void teamFilesInTheProjectWindow() {
        Bench bench("");
        const fs::path& ex = bench.ex;
        test::WriteBytes(ex / "brindle.ini",
                         "[Options]\r\nExcluded Procedures=*_Click\r\nSkip Existing=True\r\n"
                         "Colour=Red\r\n[Command Line]\r\nCode Page=1251\r\n");
        test::WriteBytes(ex / ".brindleignore", "# legacy\nControls/*\nmod[\n");
        std::string cls = bench.File("CStockItem.cls");
        cls.insert(cls.find("Option Explicit\r\n") + 17, "' brindle: skip\r\n");
        test::WriteBytes(ex / "CStockItem.cls", cls);
        QVERIFY(bench.window.Open({Q(ex / "Inventory.vbp")}));

        QTreeWidget& tree = bench.window.ProjectTree();
        const std::pair<QString, QString> skipped[] = {
            {"Controls/ctlGauge.ctl", "Left out by .brindleignore: Controls/*"},
            {"CStockItem (CStockItem.cls)",
             "Brindle leaves this module alone: line 2: ' brindle: skip"},
            {"cmdAdjust_Click",
             "Brindle leaves this procedure alone: its name matches the "
             "excluded procedures' pattern *_Click"},
        };
        for (const auto& [text, why] : skipped) {
            QTreeWidgetItem* item = TreeItem(tree, text);
            QVERIFY2(item != nullptr, qPrintable(text));
            QCOMPARE(item->toolTip(0), why);
            QVERIFY(item->font(0).italic());
        }
        QVERIFY(!TreeItem(tree, "modMain (modMain.bas)")->font(0).italic());
        QVERIFY(bench.Told().contains("3 modules, code page 1251; 1 left out by .brindleignore"));
        QVERIFY(bench.Told().contains("brindle.ini:4: unknown key \"Colour\" in [Options]"));

        // A skip comment typed above a procedure shows in the tree; activating it goes there.
        bench.window.BeginStartup();
        CodeWindow& code = bench.Code("modMain");
        int line = 0;
        while (!code.Editor().text(line).startsWith("Public Function FormatPrice")) {
            ++line;
        }
        code.Editor().insertAt("' brindle: skip\n", line, 0);
        QTRY_VERIFY(TreeItem(tree, "FormatPrice") != nullptr);
        QCOMPARE(TreeItem(tree, "modMain (modMain.bas) *")->toolTip(0),
                 QStringLiteral("Brindle leaves 1 of its procedures alone"));
        emit tree.itemActivated(TreeItem(tree, "FormatPrice"), 0);
        QCOMPARE(Caret(code).first, line + 1);

        QString helpText;
        QTimer::singleShot(0, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->objectName() == "frmOptions" && widget->isVisible()) {
                    auto* skip = widget->findChild<QCheckBox*>("chkSkipExisting");
                    QVERIFY(!skip->isEnabled());
                    QTest::keyClick(widget, Qt::Key_F1);
                    if (auto* help = widget->findChild<QTextBrowser*>("helpText")) {
                        helpText = help->toPlainText();
                    }
                    skip->setChecked(false);
                    widget->findChild<QPushButton*>("cmdOK")->click();
                }
            }
        });
        Trigger(*bench.window.CodeWindowMenu(), kOptions);
        // Skip Existing turned off all the same: the team's value applies here still.
        QVERIFY(bench.window.Host().Addin().Fields().mbSkipExisting);
        QVERIFY(bench.Last().contains("\"Skip Existing\" is set by " + Q(ex / "brindle.ini")));
        QVERIFY2(helpText.contains("Skip Existing") && helpText.contains("%ModuleName%"),
                 qPrintable(helpText));

        test::WriteBytes(ex / "brindle.ini", "[Options]\r\nExcluded Procedures=Form_Load\r\n");
        QTRY_VERIFY(TreeItem(tree, "cmdAdjust_Click") == nullptr);
        QVERIFY(TreeItem(tree, "Form_Load") != nullptr);
        bench.Code("modMain").Editor().setCursorPosition(5, 3);
        bench.Answers().SetNextAnswer(vbCancel);  // the project stays as it is, and is told so
        test::WriteBytes(ex / ".brindleignore", "# legacy\nControls/*\n");
        QTRY_VERIFY(bench.Last().contains(
            "The edit of the .brindleignore of Inventory (Inventory.vbp) is not applied"));
        bench.Answers().SetNextAnswer(vbNo);  // the unsaved modules are read again from disk
        test::WriteBytes(ex / ".brindleignore", "# nothing left out\n");
        QTRY_VERIFY(TreeItem(tree, "Controls/ctlGauge.ctl") == nullptr);
        QVERIFY(bench.Component("ctlGauge").Code() != nullptr);
        CodeWindow& active = *bench.window.ActiveCodeWindow();
        QCOMPARE(active.Component().Name(), std::string("modMain"));
        QCOMPARE(active.Editor().SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS),
                 active.Editor().positionFromLineIndex(5, 3));

        // Another project, whose team file cannot be taken, takes the user's own options.
        const fs::path other = bench.dir.path() / "other";
        fs::create_directories(other);
        test::WriteBytes(other / "Other.bas", "Attribute VB_Name = \"Other\"\r\n");
        test::WriteBytes(other / "brindle.ini", "[Options]\r\nSkip Existing=maybe\r\n");
        QVERIFY(bench.window.Open({Q(other / "Other.bas")}));
        QVERIFY(bench.Told().contains("your own options apply until it is fixed"));
        const AddinFields& fields = bench.window.Host().Addin().Fields();
        QCOMPARE(fields.msExcludedProcs, std::string());
        bench.ProjectMenu();
        QCOMPARE(fields.msExcludedProcs, std::string("Form_Load"));
    }

    // Refresh after a template change rewrites the blocks; No leaves the code as it is, and
    // Undo takes a module's refresh back in one step. A template holding a marker line
    // is refused: nothing goes in from it, and the output window says why.
    void refreshIsOneStep() {
        Bench bench("");
        test::WriteBytes(bench.ex / "Proc.txt", "' Procedure %ProcedureName%\r\n");
        test::WriteBytes(bench.ex / "brindle.ini",
                         "[Options]\r\nProcedure Header Template Filename=Proc.txt\r\n");
        QVERIFY(bench.window.Open({Q(bench.ex / "Inventory.vbp")}));
        bench.window.BeginStartup();
        host::MemoryComponent& module = bench.Component("modMain");
        CodeWindow& code = bench.Code("modMain");
        code.Editor().setSelection(53, 0, 64, 12);  // LevelOf
        Trigger(*bench.window.CodeWindowMenu(), kAddHeaders);
        const std::string added = module.Serialize();
        QVERIFY(added.find("' Procedure LevelOf\r\n") != std::string::npos);

        test::WriteBytes(bench.ex / "Proc.txt", "' Procedure %ProcedureName%, changed\r\n");
        bench.Answers().SetNextAnswer(vbNo);
        Trigger(*bench.window.CodeWindowMenu(), kRefresh);
        QCOMPARE(module.Serialize(), added);
        bench.Answers().SetNextAnswer(vbYes);
        Trigger(*bench.ProjectMenu(), kRefresh);
        QVERIFY(module.Serialize().find("' Procedure LevelOf, changed\r\n") != std::string::npos);
        ShowsItsModule(code);
        QCOMPARE(QString::fromStdString(code.History().UndoName()), kRefresh);
        bench.window.Undo();
        QCOMPARE(module.Serialize(), added);
        ShowsItsModule(code);

        test::WriteBytes(bench.ex / "Proc.txt",
                         "' Procedure %ProcedureName%\r\n' [Brindle End]\r\n");
        bench.Answers().SetNextAnswer(vbYes);
        Trigger(*bench.window.CodeWindowMenu(), kRefresh);
        QCOMPARE(module.Serialize(), added);
        QVERIFY(bench.Told().contains("is a marker line, which would break the marked blocks"));
    }

    // Add All keeps a code window's selection on its text; a module opened after it has its
    // caret at the top. One Undo or Redo takes in every module; a later edit ends the Redo.
    void projectCommandIsOneStepAndKeepsSelections() {
        Bench bench;
        bench.window.BeginStartup();
        const auto closeAll = [&] {
            Trigger(bench.window.ToolsMenu(), kCloseAll);
            Settle();
        };
        const std::vector<std::string> before = bench.Modules();
        CodeWindow& main = bench.Code("modMain");
        main.Editor().setSelection(14, 12, 14, 22);
        main.Editor().setFirstVisibleLine(10);
        const auto keepsSelection = [&](CodeWindow& code) {
            QCOMPARE(code.Editor().selectedText(), QStringLiteral("StockLevel"));
            QCOMPARE(code.Editor().text(Caret(code).first),
                     QStringLiteral("Public Enum StockLevel\n"));
        };
        bench.Answers().SetNextAnswer(vbYes);
        Trigger(*bench.ProjectMenu(), kAddAllToProj);
        const std::vector<std::string> after = bench.Modules();
        for (std::size_t i = 0; i < after.size(); ++i) {
            QVERIFY(after[i] != before[i]);
        }
        keepsSelection(main);
        QCOMPARE(main.Editor().firstVisibleLine(), 10 + 9);  // with the module header above

        CodeWindow& item = bench.Code("CStockItem");
        QVERIFY(!item.Editor().hasSelectedText());
        QCOMPARE(Caret(item), std::pair(0, 0));
        QTRY_VERIFY(TreeItem(bench.window.ProjectTree(), "CStockItem (CStockItem.cls) *"));
        QCOMPARE(bench.window.Windows().back()->windowTitle(),
                 QStringLiteral("Inventory - CStockItem (Code) *"));
        const QString top = item.Editor().text(0);
        item.Editor().setFocus();
        QTest::keyClicks(&item.Editor(), "x");
        QCOMPARE(item.Editor().text(0), "x" + top);
        bench.window.Undo();
        QCOMPARE(bench.Modules(), after);

        QCOMPARE(QString::fromStdString(bench.window.NextStepName(true)), kAddAllToProj);
        bench.window.Undo();
        QCOMPARE(bench.Modules(), before);
        ShowsItsModule(item);
        keepsSelection(main);
        closeAll();
        QCOMPARE(QString::fromStdString(bench.window.NextStepName(false)), kAddAllToProj);
        bench.window.Redo();
        QCOMPARE(bench.Modules(), after);
        // An edit after it in one module stands in the way until it is undone there.
        bench.Code("CStockItem").Editor().insertAt("' later\n", 0, 0);
        closeAll();
        bench.window.Undo();
        QCOMPARE(bench.Modules()[0], after[0]);
        QVERIFY(bench.Last().contains("changed after"));
        bench.Code("CStockItem");
        bench.window.Undo();
        QCOMPARE(bench.Modules(), after);
        bench.window.Undo();
        QCOMPARE(bench.Modules(), before);
        CodeWindow& reopened = bench.Code("modMain");
        Settle();
        keepsSelection(reopened);

        bench.Code("CStockItem").Editor().insertAt("' mine\n", 0, 0);
        closeAll();
        QCOMPARE(bench.window.NextStepName(false), std::string());
        QVERIFY(!bench.window.Work().ModuleOf(bench.Component("modMain"))->history->CanRedo());
    }

    // Replace All over the project is one step; Find Next goes module to module and says when
    // it has come round; Selected Text and the current procedure (with its comment) as scopes.
    void findAndReplace() {
        Bench bench;
        const std::vector<std::string> before = bench.Modules();
        bench.Code("modMain").Editor().setCursorPosition(0, 0);
        FindReplace& find = bench.window.Finder();
        bench.window.ShowFind(true);
        find.Dialog().Fill("quantity", "OnHand", SearchScope::Project, false, true, false);
        QCOMPARE(find.ReplaceAll(), 9);
        QCOMPARE(find.Note(), QStringLiteral("9 replacement(s) made."));
        const std::vector<std::string> after = bench.Modules();
        for (std::size_t i = 0; i < after.size(); ++i) {
            QVERIFY(after[i] != before[i]);
        }
        QVERIFY(after[2].find("mCurrent_QuantityChanged") != std::string::npos);  // not a word
        bench.window.Undo();
        QCOMPARE(bench.Modules(), before);
        bench.window.Redo();
        QCOMPARE(bench.Modules(), after);
        bench.window.Undo();

        find.Dialog().Fill("QuantityChanged", "", SearchScope::Project, true, false, false);
        QStringList visited;
        while (find.FindNext() && visited.size() < 10) {
            CodeWindow* active = bench.window.ActiveCodeWindow();
            QCOMPARE(active->Editor().selectedText(), QStringLiteral("QuantityChanged"));
            visited << QString::fromStdString(active->Component().Name());
        }
        QCOMPARE(find.Note(), QStringLiteral("The specified region has been searched."));
        QCOMPARE(visited.size(), 4);
        QVERIFY2(visited.front() == "CStockItem" && visited.back() == "frmMain",
                 qPrintable(visited.join(' ')));
        // A round that starts on a selected match ends there, and so does the next one.
        for (int round = 0; round < 2; ++round) {
            int found = 0;
            while (find.FindNext() && found < 10) {
                ++found;
            }
            QCOMPARE(found, 3);
            QCOMPARE(find.Note(), QStringLiteral("The specified region has been searched."));
        }
        find.Dialog().Fill("NoSuchName", "", SearchScope::Project, false, false, false);
        QVERIFY(!find.FindNext());
        QCOMPARE(bench.window.StatusNote(), QStringLiteral("The specified text was not found."));

        CodeWindow& item = bench.Code("CStockItem");
        item.Editor().setCursorPosition(0, 0);
        find.Dialog().Fill("mQuantity", "mCount", SearchScope::Module, true, true, false);
        QVERIFY(find.Replace());  // finds the first
        QVERIFY(find.Replace());  // replaces it, finds the next
        QCOMPARE(item.Editor().selectedText(), QStringLiteral("mQuantity"));
        QCOMPARE(item.History().UndoName(), std::string("Replace"));
        bench.window.Undo();
        QCOMPARE(bench.Modules(), before);
        ShowsItsModule(item);

        CaretAt(item, "OldQuantity = mQuantity", 16);
        const auto [firstLine, firstIndex] = Caret(item);
        CaretAt(item, "mQuantity + Delta", 3);
        const auto [lastLine, lastIndex] = Caret(item);
        item.Editor().setSelection(firstLine, firstIndex, lastLine, lastIndex);
        bench.window.ShowFind(true);
        find.Dialog().Fill("mQuantity", "mCount", SearchScope::Selection, true, true, false);
        QVERIFY(find.FindNext());
        QVERIFY(item.Editor().text(Caret(item).first).trimmed().startsWith("mQuantity = Value"));
        QVERIFY(!find.FindNext());
        QCOMPARE(find.Note(), QStringLiteral("The specified region has been searched."));
        QCOMPARE(find.ReplaceAll(), 1);
        bench.window.Undo();
        QCOMPARE(bench.Modules(), before);

        auto* what = find.Dialog().findChild<QComboBox*>(QStringLiteral("findWhat"));
        find.Dialog().Fill("quantitychanged", "", SearchScope::Module, true, false, false);
        QTest::mouseClick(find.Dialog().findChild<QPushButton*>(QStringLiteral("findNext")),
                          Qt::LeftButton);
        what->lineEdit()->clear();
        QTest::keyClicks(what->lineEdit(), QStringLiteral("QUANTITYCHANGED"));
        QTest::keyClick(what->lineEdit(), Qt::Key_Return);
        QCOMPARE(what->currentText(), QStringLiteral("QUANTITYCHANGED"));
        QVERIFY(!find.FindNext());

        CodeWindow& main = bench.Code("modMain");
        CaretAt(main, "If ReorderAt < 0", 4);
        find.Dialog().Fill("ReorderAt", "Limit", SearchScope::Procedure, true, true, false);
        QCOMPARE(find.ReplaceAll(), 5);
        QVERIFY(main.Editor().text().contains("\"ReorderAt\""));
        QVERIFY(main.Editor().text().contains("' Classifies a record; Limit overrides"));
    }

    // A code window scrolls sideways only as far as its selection needs: opened with the caret
    // at a column that fits, and after Find Next to a match near the left edge.
    void codeWindowsScrollSidewaysOnlyAsNeeded() {
        Bench bench;
        bench.window.resize(1000, 700);
        host::MemoryCodeModule& module = *bench.Component("modMain").Code();
        module.InsertLines(2, "' " + std::string(400, '-') + " far");
        module.CodePane().SetSelection(2, 60, 2, 60);
        CodeWindow& code = bench.Code("modMain");
        Settle();
        const auto offset = [&] {
            return code.Editor().SendScintilla(QsciScintillaBase::SCI_GETXOFFSET);
        };
        QCOMPARE(offset(), 0L);
        FindReplace& find = bench.window.Finder();
        find.Dialog().Fill("far", "", SearchScope::Module, true, true, false);
        QVERIFY(find.FindNext());
        QVERIFY(offset() > 0);
        find.Dialog().Fill("Explicit", "", SearchScope::Module, true, true, false);
        QVERIFY(find.FindNext());
        QCOMPARE(offset(), 0L);
    }

    // Whole word, letter case and the Like operator's patterns (their rules are the matcher's
    // own suite's) as the Find dialog takes them; in a double-byte code page a match begins
    // only where a character does.
    void findOptions() {
        struct Case {
            int codePage;
            const char* line;
            const char* what;
            bool matchCase, wholeWord, pattern;
            const char* hits;  // column:length; nothing for a pattern it refuses
        };
        const char* names = "Dim qty, Qty, QTY_X";
        const Case cases[] = {
            {1252, names, "qty", false, false, false, "5:3 10:3 15:3"},
            {1252, names, "Qty", true, false, false, "10:3"},
            {1252, names, "qty", false, true, false, "5:3 10:3"},  // _ joins a word
            {1252, "x1 = x22 + y3", "x#", false, false, true, "1:2 6:2"},
            {1252, "' caf\xe9 CAF\xc9", "caf\xc3\xa9", false, false, false, "3:4"},
            {932, "' \x95\x5c\x5c", "\\", false, false, false, "5:1"},  // a trail byte
            {1252, "a[b", "a[b", false, false, true, nullptr},
        };
        for (const Case& c : cases) {
            const LineFinder finder({c.what, c.matchCase, c.wholeWord, c.pattern}, c.codePage);
            QStringList found;
            for (const Hit& hit : finder.In(c.line, 1)) {
                found << QStringLiteral("%1:%2").arg(hit.column).arg(hit.length);
            }
            QCOMPARE(found.join(' '), QString(c.hits != nullptr ? c.hits : ""));
            QCOMPARE(finder.Problem().empty(), c.hits != nullptr);
        }
    }

    // Go to Definition finds procedures, properties and variables across the project's modules,
    // through a module's name or a variable's class; what it cannot find it says, as the IDE.
    // A WithEvents variable is an object of its own, with its event procedures under it.
    void goToDefinitionAcrossModules() {
        Bench bench;
        CodeWindow& form = bench.Code("frmMain");
        const int object = form.Objects().findText("mCurrent");
        QVERIFY(object > 0);
        form.Objects().setCurrentIndex(object);
        emit form.Objects().activated(object);
        QCOMPARE(form.Procedures().itemText(0), QStringLiteral("QuantityChanged"));

        QStringList told;
        bench.window.runDialog = [&](QDialog& dialog) {
            told << dynamic_cast<QMessageBox&>(dialog).text();
            return 0;
        };
        host::MemoryCodeModule& module = *form.Component().Code();
        std::int32_t load = 1;
        while (!module.Lines(load, 1).starts_with("Private Sub Form_Load")) {
            ++load;
        }
        module.InsertLines(load + 1,
                           "    Caption = modMain.FormatPrice(1) & FormatPrice(2)\r\n"
                           "    LoadDefaults \"x\": Call Me.cmdAdjust_Click\r\n"
                           "    Dim n As Long, other As Inventory.CStockItem\r\n"
                           "    n = slLow + StockLevel.slNormal: other.Adjust n");
        struct Case {
            const char* text;  // the caret goes after its first occurrence
            const char* module;
            const char* declaration;  // the line the caret lands on; none when not found
        };
        const Case cases[] = {
            {"mCurrent.Adju", "CStockItem", "Public Sub Adjust(ByVal Delta As Long)"},
            {"mCurrent.Quan", "CStockItem", "Public Property Get Quantity() As Long"},
            {"modMain.Form", "modMain", "Public Function FormatPrice(ByVal Amount As Currency)"},
            {"& FormatPrice", "modMain", "Public Function FormatPrice(ByVal Amount As Currency)"},
            {"Me.cmdAd", "frmMain", "Private Sub cmdAdjust_Click()"},
            {"mCurr", "frmMain", "Private WithEvents mCurrent As CStockItem"},
            {"\n    n", "frmMain", "    Dim n As Long, other As Inventory.CStockItem"},
            {"other.Adj", "CStockItem", "Public Sub Adjust(ByVal Delta As Long)"},
            {"slLo", "modMain", "    slLow = 1"},
            {"StockLevel.slNor", "modMain", "    slNormal = 2"},
            {"LoadDef", nullptr, nullptr},  // Private in another module
            {"Capt", nullptr, nullptr},
        };
        for (const Case& c : cases) {
            CodeWindow& code = bench.Code("frmMain");
            CaretAt(code, QString::fromLatin1(c.text), qsizetype(std::strlen(c.text)));
            told.clear();
            bench.window.GoToDefinition();
            if (c.module == nullptr) {
                QCOMPARE(told, QStringList("Identifier under cursor is not recognized"));
                continue;
            }
            QVERIFY2(told.isEmpty(), c.text);
            CodeWindow* landed = bench.window.ActiveCodeWindow();
            QCOMPARE(landed->Component().Name(), std::string(c.module));
            const QString line = landed->Editor().text(Caret(*landed).first);
            QVERIFY2(line.startsWith(QString::fromLatin1(c.declaration)), qPrintable(line));
        }
    }

    // The IDE's keys (Ctrl+Down/Up, Ctrl+Y, Ctrl+Shift+F2, Ctrl+F4); a typed procedure gets
    // its End, a line left takes the keywords' case; typing over a selection is one step.
    void theIdesKeys() {
        Bench bench;
        bench.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&bench.window));
        CodeWindow& code = bench.Code("modMain");
        host::MemoryCodeModule& module = *code.Component().Code();
        QsciScintilla& editor = code.Editor();
        editor.setFocus();
        editor.setCursorPosition(0, 0);
        const auto caretLine = [&] { return editor.text(Caret(code).first).trimmed(); };
        QTest::keyClick(&editor, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(caretLine(), QStringLiteral("Sub Main()"));
        // The separator above the procedure, over the blank line that begins it.
        const int main = Caret(code).first;
        QTRY_COMPARE(editor.markersAtLine(main - 2), 1u << 1);
        QCOMPARE(editor.markersAtLine(main - 1), 0u);
        QTest::keyClick(&editor, Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(&editor, Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(&editor, Qt::Key_Up, Qt::ControlModifier);
        const QString elapsed =
            "Public Function ElapsedSince(ByVal StartTick As LongPtr) As LongPtr";
        QCOMPARE(caretLine(), elapsed);

        QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text().trimmed(), elapsed);
        QVERIFY(module.Lines(1, 50).find("As LongPtr) As LongPtr") == std::string::npos);
        bench.window.Undo();
        QVERIFY(module.Lines(1, 50).find("As LongPtr) As LongPtr") != std::string::npos);

        CaretAt(code, "LoadDefaults App", 8);
        bench.window.GoToDefinition();
        QCOMPARE(caretLine(), QStringLiteral("Private Sub LoadDefaults(ByVal IniFile As String)"));
        QTest::keyClick(&editor, Qt::Key_F2, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(caretLine(), QStringLiteral("LoadDefaults App.Path & \"\\Inventory.ini\""));

        editor.setCursorPosition(editor.lines() - 1, int(editor.text(editor.lines() - 1).size()));
        QTest::keyClick(&editor, Qt::Key_Return);
        QTest::keyClicks(&editor, "Sub Added");
        QTest::keyClick(&editor, Qt::Key_Return);
        QCOMPARE(module.Lines(module.CountOfLines() - 2, 3),
                 std::string("Sub Added()\r\n\r\nEnd Sub"));
        QCOMPARE(caretLine(), QString());
        QTest::keyClicks(&editor, "' a comment _");
        QTest::keyClick(&editor, Qt::Key_Return);
        QTest::keyClicks(&editor, "goes on");
        QTest::keyClick(&editor, Qt::Key_Return);
        QTest::keyClicks(&editor, "dim n as long: loaddefaults \"as is\" ' as is");
        QTest::keyClick(&editor, Qt::Key_Down);
        QTRY_COMPARE(module.Lines(module.CountOfLines() - 3, 3),
                     std::string("' a comment _\r\ngoes on\r\n"
                                 "Dim n As Long: LoadDefaults \"as is\" ' as is"));

        for (const bool paste : {false, true}) {
            const std::string original = code.Component().Serialize();
            editor.setSelection(14, 12, 14, 22);
            if (paste) {
                QApplication::clipboard()->setText(QStringLiteral("Level"));
                QTest::keyClick(&editor, Qt::Key_V, Qt::ControlModifier);
            } else {
                QTest::keyClicks(&editor, "StockLevel");
            }
            QCOMPARE(editor.text(14), paste ? QStringLiteral("Public Enum Level\n")
                                            : QStringLiteral("Public Enum StockLevel\n"));
            const std::string replaced = code.Component().Serialize();
            bench.window.Undo();
            QCOMPARE(code.Component().Serialize(), original);
            bench.window.Redo();
            QCOMPARE(code.Component().Serialize(), replaced);
        }

        QTest::keyClick(&editor, Qt::Key_F4, Qt::ControlModifier);
        Settle();
        QVERIFY(bench.window.Windows().empty());
    }

    // Editor offsets (UTF-8 bytes) against module columns (the code page's bytes), both ways;
    // a column inside a two-byte character goes to its start. The colours of VB6 text.
    void columnsAndColours() {
        struct Column {
            int codePage;
            const char* line;
            int column, offset, back;
        };
        const Column columns[] = {
            {1252, "' caf\xe9 au", 7, 7, 7},
            {1252, "ab", 9, 2, 3},  // past the end
            {932, "' \x95\x5c\x8e\xa6 x", 7, 8, 7},
            {932, "' \x95\x5c\x8e\xa6", 4, 2, 3},  // inside a character
        };
        for (const Column& c : columns) {
            QCOMPARE(Utf8Offset(c.line, c.column, c.codePage), c.offset);
            const std::string utf8 = host::ToUtf8(c.line, c.codePage);
            QCOMPARE(ModuleColumn(utf8, c.offset, c.codePage), c.back);
            bool lossy = false;
            QCOMPARE(Encode(utf8, c.codePage, lossy), std::string(c.line));
            QVERIFY(!lossy);
        }

        struct Colours {
            const char* line;
            bool continuedComment;
            const char* styles;  // 0 default, 1 keyword, 2 comment, 3 string, 4 number,
                                 // 5 directive, 6 continuation
            bool carries;
        };
        const Colours colours[] = {
            {"s = \"a\"\"b\" & &HFF", false, "00003333330004444", false},
            {"x = 1: Rem note _", false, "00004002222222222", true},  // Rem begins a statement
            {"Call Rem", false, "11110000", false},                   // elsewhere a name
            {"End Sub", true, "2222222", false},                      // a comment carried on
            {"#If VBA7 Then ' x", false, "55555555555555222", false},
            {"Call F(a, _", false, "11110000006", false},
        };
        for (const Colours& c : colours) {
            bool inComment = c.continuedComment;
            std::string shown;
            for (const char style : StyleLine(c.line, inComment)) {
                shown += static_cast<char>('0' + style);
            }
            QCOMPARE(shown, std::string(c.styles));
            QCOMPARE(inComment, c.carries);
        }
    }
};

}  // namespace brindle::workbench

QTEST_MAIN(brindle::workbench::WorkbenchTest)
#include "workbench_test.moc"
