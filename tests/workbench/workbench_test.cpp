// The workbench on the offscreen platform, driven as a user would: a project opened, lines
// selected, the add-in's entries of the menus triggered, Undo and Redo, saving, the question
// about unsaved modules, the Add-In Manager, code page 932 and a failure in the output window.
// Modal dialogs are answered in advance.

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "addin/Buttons.h"
#include "codegen/Refresh.h"
#include "host/files/FileSystem.h"
#include "host/files/ProjectLoader.h"
#include "host/ide/MemoryProject.h"
#include "host/settings/SettingsFile.h"
#include "host/vb6/CodePage.h"
#include "model/SettingsKeys.h"
#include "support/TestPaths.h"
#include "workbench/CodeWindow.h"
#include "workbench/Definition.h"
#include "workbench/Dialogs.h"
#include "workbench/EditorText.h"
#include "workbench/FindReplace.h"
#include "workbench/MainWindow.h"
#include "workbench/VbLexer.h"

namespace fs = std::filesystem;

namespace brindle::workbench {
namespace {

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// The example project copied into a temporary folder, opened in a shown main window.
struct Bench {
    explicit Bench(const std::string& project = "Inventory.vbp") {
        fs::copy(test::SourceDir() / "examples", dir.path() / "ex", fs::copy_options::recursive);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (!project.empty()) {
            QVERIFY(window.Open({Q(dir.path() / "ex" / project)}));
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
    // Opens the example with a team's brindle.ini that names `procTemplate` as the procedure
    // header template, starts up, and selects LevelOf in modMain's code window.
    void OpenWithProcedureTemplate(const std::string& procTemplate) {
        const fs::path ex = dir.path() / "ex";
        test::WriteBytes(ex / "Proc.txt", procTemplate);
        test::WriteBytes(ex / "brindle.ini",
                         "[Options]\r\nProcedure Header Template Filename=Proc.txt\r\n");
        QVERIFY(window.Open({Q(ex / "Inventory.vbp")}));
        window.BeginStartup();
        Code("modMain").Editor().setSelection(53, 0, 64, 12);  // LevelOf
    }

    CodeWindow& Code(const std::string& name) {
        CodeWindow* code = window.OpenCodeWindow(Component(name));
        if (code == nullptr) {
            throw std::runtime_error("no code window for " + name);
        }
        return *code;
    }
    std::string File(const std::string& name) { return test::ReadBytes(dir.path() / "ex" / name); }

    test::TempDir dir;
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

void Trigger(QMenu& menu, std::string_view caption) {
    for (QAction* action : menu.actions()) {
        if (action->text() ==
            QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()))) {
            action->trigger();
            return;
        }
    }
    QFAIL(qPrintable("no entry " + QString::fromUtf8(caption.data())));
}

// What the editor shows against what the module holds, line for line.
void ShowsItsModule(CodeWindow& code) {
    const host::MemoryCodeModule& module = *code.Component().Code();
    QCOMPARE(code.Editor().text().toStdString(),
             DisplayLines(module, code.Component().CodePage(), 1, module.CountOfLines(), false));
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
    // The project window groups the components as the IDE does; the three command bars are the
    // menus, the workbench's own entries first and then the add-in's in their groups.
    void projectOpensAndTheCommandBarsAreMenus() {
        Bench bench;
        const auto splash = [] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::count_if(windows.begin(), windows.end(), [](const QWidget* window) {
                return window->objectName() == "frmSplash" && window->isVisible();
            });
        };
        bench.window.BeginStartup();
        QVERIFY(bench.window.Host().Loaded());
        QCOMPARE(splash(), 0);  // not before the start-up is complete
        bench.window.FinishStartup();
        QCOMPARE(splash(), 1);
        QTreeWidget& tree = bench.window.ProjectTree();
        QCOMPARE(tree.topLevelItemCount(), 1);
        QTreeWidgetItem* project = tree.topLevelItem(0);
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
        using namespace buttons;
        const QString mod(kAddModHdr.data()), headers(kAddHeaders.data()),
            handlers(kAddErrHandlers.data()), markers(kRemoveCodeMarkers.data()),
            code(kRemoveAll.data()), options(kOptions.data());
        const QString refresh(kRefreshTitle.data());
        QCOMPARE(Texts(*bench.window.CodeWindowMenu()),
                 QStringList({"Cut", "Copy", "Paste", "Select All", "Definition", "-", mod, headers,
                              handlers, "-", markers, code, "-", options, "-", refresh}));
        QCOMPARE(Texts(bench.window.ToolsMenu()),
                 QStringList({"Code Page...", "-", QString(kCloseAllWins.data())}));
        QCOMPARE(Texts(*bench.window.ProjectMenu(*bench.window.Work().Projects().front())),
                 QStringList({"Save Project", "Close Project", "Code Page...", "-",
                              QString(kAddAllToProj.data()), "-",
                              QString(kRemoveCodeMarkersFromProj.data()),
                              QString(kRemoveAllFromProj.data()), "-", refresh}));
    }

    // The File menu lists the projects opened, by file name as it is, and opens one again.
    void recentProjectsInTheFileMenu() {
        Bench bench("");
        const fs::path ex = bench.dir.path() / "ex";
        fs::copy_file(ex / "Inventory.vbp", ex / "Stock&Sales.vbp");
        QVERIFY(bench.window.Open({Q(ex / "Stock&Sales.vbp")}));
        QVERIFY(bench.window.CloseProject());
        QMenu* file = bench.window.menuBar()->actions().front()->menu();
        emit file->aboutToShow();
        QVERIFY2(Texts(*file).contains("&1 Stock&&Sales.vbp"), qPrintable(Texts(*file).join('|')));
        Trigger(*file, "&1 Stock&&Sales.vbp");
        QCOMPARE(bench.window.Work().Projects().size(), std::size_t{1});
    }

    // An add-in command on the selected lines changes the module and the editor alike; Undo
    // takes the whole command back byte for byte and Redo replays it; typing undoes as usual.
    // Saving writes what the command line writes for the same command, only for the modules
    // that changed; a file changed on disk meanwhile is reported and left as it is.
    void contextMenuCommandUndoRedoAndSave() {
        Bench bench;
        bench.window.BeginStartup();
        fs::copy(bench.dir.path() / "ex", bench.dir.path() / "cli", fs::copy_options::recursive);
        QProcess brindle;
        brindle.setWorkingDirectory(Q(bench.dir.path() / "cli"));
        brindle.start(QStringLiteral(BRINDLE_EXE),
                      {"add-error-handlers", "modMain.bas", "--select", "54-65", "--quiet"});
        QVERIFY(brindle.waitForFinished(30000));
        QCOMPARE(brindle.exitCode(), 0);
        host::MemoryComponent& component = bench.Component("modMain");
        const std::string original = component.Serialize();
        CodeWindow& code = bench.Code("modMain");
        code.Editor().setSelection(53, 0, 64, 12);  // LevelOf
        Trigger(*bench.window.CodeWindowMenu(), buttons::kAddErrHandlers);
        const std::string changed = component.Serialize();
        QVERIFY(changed != original);
        QVERIFY(code.Editor().text().contains("BrindleErrorHandler"));
        ShowsItsModule(code);
        QCOMPARE(code.History().UndoName(), std::string(buttons::kAddErrHandlers));

        bench.window.Undo();
        QCOMPARE(component.Serialize(), original);
        ShowsItsModule(code);
        bench.window.Redo();
        QCOMPARE(component.Serialize(), changed);
        ShowsItsModule(code);
        const std::string form = bench.File("frmMain.frm");
        bench.window.SaveAll();
        QCOMPARE(bench.File("modMain.bas"),
                 test::ReadBytes(bench.dir.path() / "cli" / "modMain.bas"));
        QCOMPARE(bench.File("frmMain.frm"), form);

        code.Editor().setCursorPosition(2, 0);
        code.Editor().setFocus();
        QTest::keyClicks(&code.Editor(), "' typed");
        QTest::keyClick(&code.Editor(), Qt::Key_Return);
        QCOMPARE(component.Code()->Lines(3, 2).substr(0, 9), std::string("' typed\r\n"));
        ShowsItsModule(code);
        QTest::keyClick(&code.Editor(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(component.Serialize(), changed);
        ShowsItsModule(code);

        // The drop-downs follow the caret, and a choice moves it.
        code.Editor().setCursorPosition(57, 4);
        QTRY_COMPARE(code.Procedures().currentText(), QStringLiteral("LevelOf"));
        QCOMPARE(code.Objects().currentText(), QStringLiteral("(General)"));

        code.Editor().insertAt("' mine", 1, 0);
        test::WriteBytes(bench.dir.path() / "ex" / "modMain.bas", "theirs");
        bench.window.SaveAll();
        QCOMPARE(bench.File("modMain.bas"), std::string("theirs"));
        QVERIFY(bench.window.Output().Entries().last().contains("changed on disk"));
    }

    // Closing with unsaved modules asks first: Cancel keeps the project, Discard closes it
    // unsaved, Save writes before the window closes.
    void unsavedModulesAreAskedAbout() {
        Bench bench;
        auto& answers = bench.window.Host().Windows().Answers();
        const std::string original = bench.File("CStockItem.cls");
        bench.Code("CStockItem").Editor().insertAt("' changed\n", 0, 0);
        answers.SetNextAnswer(vbCancel);
        QVERIFY(!bench.window.CloseProject());
        QCOMPARE(bench.window.Work().Projects().size(), std::size_t{1});
        answers.SetNextAnswer(vbNo);
        QVERIFY(bench.window.CloseProject());
        Settle();
        QVERIFY(bench.window.Work().Projects().empty());
        QVERIFY(bench.window.Windows().empty());
        QCOMPARE(bench.File("CStockItem.cls"), original);

        QVERIFY(bench.window.Open({Q(bench.dir.path() / "ex" / "Inventory.vbp")}));
        bench.Code("CStockItem").Editor().insertAt("' changed\n", 0, 0);
        answers.SetNextAnswer(vbYes);
        QVERIFY(bench.window.close());
        QVERIFY(bench.File("CStockItem.cls") != original);
    }

    // Open Project takes the place of the projects open, after asking about their unsaved
    // modules; Add Project adds one, which stays the active project when the workbench is
    // activated again with another project's code window in front.
    void openProjectReplacesAddProjectAdds() {
        Bench bench;
        auto& answers = bench.window.Host().Windows().Answers();
        const fs::path other = bench.dir.path() / "other";
        fs::copy(bench.dir.path() / "ex", other, fs::copy_options::recursive);
        QMenu& file = *bench.window.menuBar()->actions().front()->menu();
        bench.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&bench.window));
        bench.Code("modMain").Editor().setFocus();
        answers.SetNextFileChoice(Q(other / "Inventory.vbp"));
        Trigger(file, "A&dd Project...");
        const auto& projects = bench.window.Work().Projects();
        QCOMPARE(projects.size(), std::size_t{2});
        // Two projects alike: the tree tells them apart, the windows' captions name the project.
        QVERIFY(TreeItem(bench.window.ProjectTree(), "Inventory (ex/Inventory.vbp)"));
        QVERIFY(TreeItem(bench.window.ProjectTree(), "Inventory (other/Inventory.vbp)"));
        QCOMPARE(bench.window.Windows().front()->windowTitle(),
                 QStringLiteral("Inventory - modMain (Code)"));
        // The focus back in the project window, as after a menu: it keeps the project added.
        bench.window.ProjectTree().setFocus();
        QCOMPARE(bench.window.Host().Ide().ActiveVBProject(), projects.back()->project.get());

        bench.Code("modMain").Editor().insertAt("' changed\n", 0, 0);
        answers.SetNextFileChoice(Q(other / "Inventory.vbp"));
        answers.SetNextAnswer(vbCancel);
        Trigger(file, "&Open Project...");
        QCOMPARE(projects.size(), std::size_t{2});
        answers.SetNextFileChoice(Q(other / "Inventory.vbp"));
        answers.SetNextAnswer(vbNo);
        Trigger(file, "&Open Project...");
        Settle();
        QCOMPARE(projects.size(), std::size_t{1});
        QVERIFY(host::SameFile(projects.front()->file, other / "Inventory.vbp"));
        QVERIFY(bench.window.Windows().empty());
    }

    // The Add-In Manager connects and disconnects the add-in: its entries come and go, and
    // Load on Startup is kept in the workbench's settings.
    void addInManagerLoadsAndUnloads() {
        Bench bench;
        bench.Code("modMain");
        const auto manage = [&](bool loaded, bool onStartup) {
            bench.window.runDialog = [&](QDialog& dialog) {
                auto& manager = dynamic_cast<AddInManager&>(dialog);
                manager.SetLoaded(loaded);
                manager.SetLoadOnStartup(onStartup);
                return int(QDialog::Accepted);
            };
            bench.window.ShowAddInManager();
        };
        QCOMPARE(Texts(*bench.window.CodeWindowMenu()).size(), 5);
        manage(true, false);
        QVERIFY(bench.window.Host().Loaded());
        QCOMPARE(Texts(*bench.window.CodeWindowMenu()).size(), 16);
        QCOMPARE(Texts(bench.window.ToolsMenu()).size(), 3);
        QVERIFY(!bench.settings.LoadOnStartup());
        manage(false, true);
        QVERIFY(!bench.window.Host().Loaded());
        QCOMPARE(Texts(*bench.window.CodeWindowMenu()).size(), 5);
        QCOMPARE(Texts(bench.window.ToolsMenu()), QStringList({"Code Page..."}));
        QVERIFY(bench.settings.LoadOnStartup());
        manage(true, true);
        QCOMPARE(Texts(*bench.window.CodeWindowMenu()).size(), 16);
    }

    // A project in code page 932: its names and text show as Japanese, an edited line is
    // written in Shift-JIS and every other byte stays; a character Shift-JIS lacks becomes "?"
    // and is told of.
    void shiftJisProjectShowsItsTextAndKeepsItsBytes() {
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
        test::WriteBytes(folder / "Mod1.bas", bas);
        test::WriteBytes(folder / "Stock.vbp", "Type=Exe\r\nModule=" + module +
                                                   "; Mod1.bas\r\nName=\"" + stock + "\"\r\n");
        bench.settings.SetCodePage(folder / "Stock.vbp", 932);
        QVERIFY(bench.window.Open({Q(folder / "Stock.vbp")}));
        QTreeWidgetItem* project = bench.window.ProjectTree().topLevelItem(0);
        QCOMPARE(project->text(0), QStringLiteral("在庫 (Stock.vbp)"));
        QCOMPARE(project->child(0)->child(0)->text(0), QStringLiteral("モジュール (Mod1.bas)"));

        CodeWindow& code = bench.Code(module);
        QCOMPARE(code.Editor().text(), QStringLiteral("Option Explicit\n' 在庫\nPublic Sub 表示()\n"
                                                      "    MsgBox \"在庫\"\nEnd Sub"));
        code.Editor().setCursorPosition(2, 0);
        QTRY_COMPARE(code.Procedures().currentText(), QStringLiteral("表示"));
        code.Editor().insertAt(QStringLiteral("' 表示する\n"), 3, 0);
        bench.window.SaveAll();
        std::string expected = bas;
        expected.insert(expected.find("    MsgBox"), "' " + show + "\x82\xb7\x82\xe9\r\n");
        QCOMPARE(test::ReadBytes(folder / "Mod1.bas"), expected);

        code.Editor().insertAt(QStringLiteral("é"), 0, 0);
        QCOMPARE(code.Component().Code()->Lines(1, 1), std::string("?Option Explicit"));
        QVERIFY(bench.window.Output().Entries().last().contains("cannot hold"));
        QTRY_COMPARE(code.Editor().text(0), QStringLiteral("?Option Explicit\n"));
    }

    // A Shift-JIS project read as 1252 misses its modules of Japanese names, and the output
    // window says which code page to try. Choosing 932 asks about the unsaved module first
    // (Cancel keeps all as it was) and reloads the project in place: tree, title, status bar.
    void codePageChangeReloadsTheProject() {
        Bench bench("");
        const fs::path folder = bench.dir.path() / "jp";
        fs::create_directories(folder);
        const std::string module = "\x83\x82\x83\x57\x83\x85\x81\x5b\x83\x8b";  // モジュール
        test::WriteBytes(folder / "モジュール.bas", "Attribute VB_Name = \"Mod1\"\r\n");
        test::WriteBytes(folder / "Plain.bas", "Attribute VB_Name = \"Plain\"\r\n");
        test::WriteBytes(folder / "Stock.vbp", "Type=Exe\r\nModule=Mod1; " + module +
                                                   ".bas\r\nModule=Plain; Plain.bas\r\n");
        QVERIFY(bench.window.Open({Q(folder / "Stock.vbp")}));
        QVERIFY(TreeItem(bench.window.ProjectTree(), "Mod1 (モジュール.bas)") == nullptr);
        QVERIFY2(bench.window.Output().Entries().join('\n').contains(
                     "a missing file has a name beyond ASCII, read in code page 1252: if the "
                     "project was saved in another, choose it with Tools > Code Page..."),
                 qPrintable(bench.window.Output().Entries().join('\n')));
        QVERIFY(bench.window.StatusNote().contains("Code Page"));

        bench.Code("Plain").Editor().insertAt("' mine\n", 0, 0);
        bench.window.runDialog = [](QDialog& dialog) {
            dynamic_cast<CodePageDialog&>(dialog).SetCodePage(932);
            return int(QDialog::Accepted);
        };
        auto& answers = bench.window.Host().Windows().Answers();
        answers.SetNextAnswer(vbCancel);
        bench.window.ChooseCodePage();
        QCOMPARE(bench.window.Work().Projects().front()->codePage, 1252);
        QCOMPARE(bench.window.Windows().size(), std::size_t{1});

        answers.SetNextAnswer(vbNo);
        bench.window.ChooseCodePage();
        Settle();
        QCOMPARE(bench.window.Work().Projects().size(), std::size_t{1});
        QCOMPARE(bench.window.Work().Projects().front()->codePage, 932);
        QVERIFY(TreeItem(bench.window.ProjectTree(), "Mod1 (モジュール.bas)") != nullptr);
        QCOMPARE(bench.window.Windows().size(), std::size_t{1});  // shown again
        QVERIFY(bench.window.Work().Unsaved().empty());
        QVERIFY2(!bench.window.StatusNote().contains("Code Page"),
                 qPrintable(bench.window.StatusNote()));
        QCOMPARE(bench.settings.CodePage(folder / "Stock.vbp"), 932);

        // A group that names a project beyond ASCII is read again, with all its projects.
        test::WriteBytes(folder / "Plain.vbp", "Type=Exe\r\nModule=Plain; Plain.bas\r\n");
        test::WriteBytes(folder / "在庫.vbp", "Type=Exe\r\nModule=Zaiko; Zaiko.bas\r\n");
        test::WriteBytes(folder / "Zaiko.bas", "Attribute VB_Name = \"Zaiko\"\r\n");
        test::WriteBytes(folder / "Both.vbg",
                         "VBGROUP 5.0\r\nStartupProject=Plain.vbp\r\n"
                         "Project=\x8d\xdd\x8c\xc9.vbp\r\n");
        QVERIFY(bench.window.CloseProject());
        QVERIFY(bench.window.Open({Q(folder / "Both.vbg")}));
        QCOMPARE(bench.window.Work().Projects().size(), std::size_t{1});
        bench.window.ChooseCodePage();
        QCOMPARE(bench.window.Work().Projects().size(), std::size_t{2});
        QCOMPARE(bench.window.Work().Projects().back()->codePage, 932);
        QCOMPARE(bench.settings.CodePage(folder / "Both.vbg"), 932);

        // One none of whose projects could be read is read again in the code page chosen.
        test::WriteBytes(folder / "Only.vbg", "VBGROUP 5.0\r\nProject=\x8d\xdd\x8c\xc9.vbp\r\n");
        while (bench.window.CloseProject()) {
        }
        QVERIFY(!bench.window.Open({Q(folder / "Only.vbg")}));
        bench.window.ChooseCodePage();
        QCOMPARE(bench.window.Work().Projects().size(), std::size_t{1});
    }

    // Ctrl+R shows the project window when it is hidden and gives it the focus, and never
    // hides it; Ctrl+G does the same for the output window. The project window keeps its width.
    void ctrlRShowsTheProjectWindow() {
        Bench bench;
        bench.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&bench.window));
        auto* dock = bench.window.findChild<QDockWidget*>("projectDock");
        const struct { bool hiddenFirst; } rows[] = {{false}, {true}, {false}};
        for (const auto& row : rows) {
            CodeWindow& code = bench.Code("modMain");
            code.Editor().setFocus();
            if (row.hiddenFirst) {
                dock->hide();
            }
            QTest::keyClick(&code.Editor(), Qt::Key_R, Qt::ControlModifier);
            QVERIFY(dock->isVisible());
            QCOMPARE(QApplication::focusWidget(), &bench.window.ProjectTree());
        }
        QTest::keyClick(&bench.window.ProjectTree(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(bench.window.findChild<QDockWidget*>("outputDock")
                    ->isAncestorOf(QApplication::focusWidget()));

        // Made small and large again, the window gives the project window its width back.
        const int width = dock->width();
        bench.window.resize(240, 400);
        QTRY_VERIFY(dock->width() < width);
        bench.window.resize(1100, 760);
        QTRY_COMPARE(dock->width(), width);
    }

    // A project command ends with the summary the command line prints for it, and with markers
    // off a team's brindle.ini is named as the command line names it. A warning's entry opens
    // its module at its line, also when another project has a module of the same name.
    void summaryAndWarningsLeadToTheirLines() {
        const fs::path user = qgetenv("BRINDLE_SETTINGS").toStdString();
        host::SettingsFile(user).SaveSetting(settings::kApp, "Options", "Author", "Ада");
        Bench bench;
        bench.window.BeginStartup();
        const fs::path ex = bench.dir.path() / "ex";
        fs::copy(ex, bench.dir.path() / "cli", fs::copy_options::recursive);
        QProcess brindle;
        brindle.setWorkingDirectory(Q(bench.dir.path() / "cli"));
        brindle.start(QStringLiteral(BRINDLE_EXE), {"add-all", "Inventory.vbp", "--yes"});
        QVERIFY(brindle.waitForFinished(30000));
        const QString summary =
            QString::fromUtf8(brindle.readAllStandardError()).trimmed().split('\n').last();
        QVERIFY(summary.startsWith("brindle: 4 modules: "));

        auto& answers = bench.window.Host().Windows().Answers();
        answers.SetNextAnswer(vbYes);
        Trigger(*bench.window.ProjectMenu(*bench.window.Work().Projects().front()),
                buttons::kAddAllToProj);
        QCOMPARE(bench.window.Output().Entries().last(),
                 "Note |  | " + summary.mid(QStringLiteral("brindle: ").size()) + " | ");

        // The same project again, from another folder, with markers off by its team.
        const fs::path other = bench.dir.path() / "other";
        fs::copy(test::SourceDir() / "examples", other, fs::copy_options::recursive);
        test::WriteBytes(other / "brindle.ini", "[Options]\r\nAdd Code Markers=False\r\n");
        QVERIFY(bench.window.Open({Q(other / "Inventory.vbp")}));
        host::MemoryComponent& second =
            *bench.window.Work().Projects().back()->modules.front()->loaded.component;
        QCOMPARE(second.Name(), std::string("modMain"));
        CodeWindow* code = bench.window.OpenCodeWindow(second);
        code->Editor().insertAt("' [Brindle Begin]\n", 5, 0);
        code->Editor().selectAll(true);
        answers.SetNextAnswer(vbYes);
        Trigger(*bench.window.CodeWindowMenu(), buttons::kRemoveCodeMarkers);
        code->Editor().setCursorPosition(20, 0);
        Trigger(*bench.window.CodeWindowMenu(), buttons::kAddModHdr);
        const QStringList entries = bench.window.Output().Entries();
        // Named as the command line names it: relative where the folders meet, else whole.
        const auto team = QString::fromStdString(host::Label(other / "brindle.ini", 1252));
        QVERIFY2(entries.join('\n').contains("markers are off in " + team +
                                             " (Add Code Markers=True there turns them on)"),
                 qPrintable(entries.join('\n')));
        QVERIFY(entries.join('\n').contains(
            "author Ада: code page 1252 lacks these characters, each is written as \"?\": "));
        int warning = -1;
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i].startsWith("Warning | modMain | line 6")) {
                warning = i;
            }
        }
        QVERIFY2(warning >= 0, qPrintable(entries.join('\n')));
        bench.window.CodeWindows().front()->parentWidget()->close();
        Settle();
        bench.window.Output().Activate(warning);
        QCOMPARE(&bench.window.ActiveCodeWindow()->Component(), &second);
        int line = 0;
        int index = 0;
        bench.window.ActiveCodeWindow()->Editor().getCursorPosition(&line, &index);
        QCOMPARE(line, 5);
    }

    // The recent projects tell two of one name apart by their folders; one that is gone is
    // taken off the list when chosen. A file that is no VB6 file is told of plainly.
    void recentProjectsAndFilesOfOtherKinds() {
        Bench bench("");
        const fs::path ex = bench.dir.path() / "ex";
        const fs::path copy = bench.dir.path() / "copy";
        fs::copy(ex, copy, fs::copy_options::recursive);
        bench.settings.AddRecentProject(ex / "Inventory.vbp");
        bench.settings.AddRecentProject(copy / "Inventory.vbp");
        fs::remove_all(copy);
        QMenu* file = bench.window.menuBar()->actions().front()->menu();
        emit file->aboutToShow();
        const QString shown = "&1 Inventory.vbp (" + QDir::toNativeSeparators(Q(copy)) + ")";
        QVERIFY2(Texts(*file).contains(shown), qPrintable(Texts(*file).join('|')));
        bench.window.Host().Windows().Answers().SetNextAnswer(vbOK);
        Trigger(*file, shown.toStdString());
        QVERIFY(bench.window.Work().Projects().empty());
        QCOMPARE(bench.settings.RecentProjects(), QStringList{Q(ex / "Inventory.vbp")});
        emit file->aboutToShow();
        QVERIFY(Texts(*file).contains("&1 Inventory.vbp"));

        test::WriteBytes(ex / "notes.txt", "to do\r\n");
        QVERIFY(!bench.window.Open({Q(ex / "notes.txt")}));
        QVERIFY2(bench.window.Output().Entries().last().contains("not a file of VB6"),
                 qPrintable(bench.window.Output().Entries().last()));
    }

    // With BRINDLE_WORKBENCH_SETTINGS set, Qt's file dialog keeps its own settings beside that
    // file, not in the user's configuration folder.
    void qtSettingsStayBesideTheNamedFile() {
        test::TempDir dir;
        const QByteArray home = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((dir.path() / "config").string()));
        qputenv("BRINDLE_WORKBENCH_SETTINGS",
                QByteArray::fromStdString((dir.path() / "wb" / "workbench.ini").string()));
        WorkbenchSettings settings;
        delete new QFileDialog;
        qunsetenv("BRINDLE_WORKBENCH_SETTINGS");
        qputenv("XDG_CONFIG_HOME", home);
        QVERIFY(fs::exists(dir.path() / "wb" / "QtProject.conf"));
        QVERIFY(!fs::exists(dir.path() / "config" / "QtProject.conf"));
    }

    // A WithEvents variable is an object of its own, with its event procedures under it.
    void withEventsVariableIsAnObject() {
        Bench bench;
        CodeWindow& code = bench.Code("frmMain");
        const int object = code.Objects().findText("mCurrent");
        QVERIFY(object > 0);
        code.Objects().setCurrentIndex(object);
        emit code.Objects().activated(object);
        QCOMPARE(code.Procedures().itemText(0), QStringLiteral("QuantityChanged"));
    }

    // A failure reaches the output window, with its source chain, and the status bar; Close All
    // Windows leaves the project and output windows open.
    void failuresShowAndCloseAllWindows() {
        Bench bench;
        bench.window.BeginStartup();
        bench.Code("modMain");
        bench.window.OpenDesigner(bench.Component("frmMain"));
        QCOMPARE(bench.window.Windows().size(), std::size_t{2});
        Trigger(bench.window.ToolsMenu(), buttons::kCloseAllWins);
        Settle();
        QVERIFY(bench.window.Windows().empty());
        QVERIFY(bench.window.findChild<QDockWidget*>("projectDock")->isVisible());
        QVERIFY(bench.window.findChild<QDockWidget*>("outputDock")->isVisible());

        // Without a code window a code window's command has nothing to do, and tells nothing.
        const auto failures = [&] {
            return bench.window.Output().Entries().filter(QRegularExpression("^Error ")).size();
        };
        const auto told = failures();
        bench.window.Host().Click(CommandId::AddModuleHeader);
        QCOMPARE(failures(), told);
        bench.window.Output().Report(VbError(Err::ObjectNotSet, "Brindle.AddModHdr"));
        const QString last = bench.window.Output().Entries().last();
        QVERIFY2(last.startsWith("Error 91 |") && last.contains("Brindle.AddModHdr"),
                 qPrintable(last));
        QVERIFY(bench.window.StatusNote().contains("Output window"));

        // What a command leaves as it was is told with its module.
        CodeWindow& code = bench.Code("modMain");
        code.Editor().insertAt("' [Brindle Begin]\n", 3, 0);
        code.Editor().selectAll(true);
        bench.window.Host().Windows().Answers().SetNextAnswer(vbYes);
        Trigger(*bench.window.CodeWindowMenu(), buttons::kRemoveCodeMarkers);
        QVERIFY2(bench.window.Output().Entries().last().startsWith("Warning | modMain | line 4"),
                 qPrintable(bench.window.Output().Entries().last()));
    }

    // A team's brindle.ini (its own module header template, *_Click excluded, Skip Existing),
    // a .brindleignore and a skip comment: the project window shows what is left alone and
    // why, and Add All takes the team's template and leaves those alone. The team's values
    // win over the options dialog, are not written into the user's own settings, and follow
    // the active project.
    void teamSettingsAndWhatIsSkipped() {
        const fs::path user = qgetenv("BRINDLE_SETTINGS").toStdString();
        host::SettingsFile(user).SaveSetting(settings::kApp, "Options", "Author", "Ann Author");
        Bench bench("");
        const fs::path ex = bench.dir.path() / "ex";
        fs::create_directories(ex / "team");
        test::WriteBytes(ex / "team" / "Module.txt", "' Team module %ModuleName%\r\n");
        test::WriteBytes(ex / "brindle.ini",
                         "[Options]\r\nModule Header Filename=team\\Module.txt\r\n"
                         "Excluded Procedures=*_Click\r\nSkip Existing=True\r\nColour=Red\r\n"
                         "[Command Line]\r\nCode Page=1251\r\n");
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
        const QString opened = bench.window.Output().Entries().join('\n');
        QVERIFY2(opened.contains("3 modules, code page 1251; 1 left out by .brindleignore"),
                 qPrintable(opened));
        QVERIFY(opened.contains("brindle.ini:5: unknown key \"Colour\" in [Options]"));
        QVERIFY(opened.contains(".brindleignore:3: the pattern \"mod[\""));

        bench.window.BeginStartup();
        auto& answers = bench.window.Host().Windows().Answers();
        host::MemoryComponent& form = bench.Component("frmMain");
        const std::string formBefore = form.Serialize();
        const std::string classBefore = bench.Component("CStockItem").Serialize();
        answers.SetNextAnswer(vbYes);
        Trigger(*bench.window.ProjectMenu(*bench.window.Work().Projects().front()),
                buttons::kAddAllToProj);
        QVERIFY(bench.Component("modMain").Serialize().find("' Team module modMain\r\n") !=
                std::string::npos);
        QVERIFY(form.Serialize() != formBefore);
        QVERIFY(form.Serialize().find("Private Sub cmdAdjust_Click()\r\n    If Not") !=
                std::string::npos);
        QCOMPARE(bench.Component("CStockItem").Serialize(), classBefore);

        // A skip comment typed above a procedure shows in the tree; activating it goes there.
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
        int caret = 0;
        int index = 0;
        code.Editor().getCursorPosition(&caret, &index);
        QCOMPARE(caret, line + 1);

        // The options dialog greys what the team sets, and F1 there shows the options' help.
        // Skip Existing turned off all the same: the team's value applies here still.
        QString helpText;
        QTimer::singleShot(0, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->objectName() == "frmOptions" && widget->isVisible()) {
                    auto* skip = widget->findChild<QCheckBox*>("chkSkipExisting");
                    QVERIFY(!skip->isEnabled());
                    QCOMPARE(skip->toolTip(), "Set for this project by " + Q(ex / "brindle.ini"));
                    QVERIFY(!widget->findChild<QLineEdit*>("txtModHdrFname")->isEnabled());
                    QVERIFY(widget->findChild<QLineEdit*>("txtAuthor")->isEnabled());
                    QTest::keyClick(widget, Qt::Key_F1);
                    if (auto* help = widget->findChild<QTextBrowser*>("helpText")) {
                        helpText = help->toPlainText();
                    }
                    skip->setChecked(false);
                    widget->findChild<QPushButton*>("cmdOK")->click();
                }
            }
        });
        Trigger(*bench.window.CodeWindowMenu(), buttons::kOptions);
        QVERIFY(bench.window.Host().Addin().Fields().mbSkipExisting);
        QVERIFY2(bench.window.Output().Entries().last().contains("\"Skip Existing\" is set by " +
                                                                 Q(ex / "brindle.ini")),
                 qPrintable(bench.window.Output().Entries().last()));
        QVERIFY2(helpText.contains("Skip Existing") && helpText.contains("%ModuleName%"),
                 qPrintable(helpText));

        // Edits to the team's files take effect without reopening the project.
        test::WriteBytes(ex / "brindle.ini", "[Options]\r\nExcluded Procedures=Form_Load\r\n");
        QTRY_VERIFY(TreeItem(tree, "cmdAdjust_Click") == nullptr);
        QVERIFY(TreeItem(tree, "Form_Load") != nullptr);
        bench.Code("modMain").Editor().setCursorPosition(5, 3);
        answers.SetNextAnswer(vbCancel);  // the project stays as it is, and the user hears so
        test::WriteBytes(ex / ".brindleignore", "# legacy\nControls/*\n");
        QTRY_VERIFY(bench.window.Output().Entries().last().contains(
            "The edit of the .brindleignore of Inventory (Inventory.vbp) is not applied"));
        answers.SetNextAnswer(vbNo);  // the unsaved modules are read again as they are on disk
        test::WriteBytes(ex / ".brindleignore", "# nothing left out\n");
        QTRY_VERIFY(TreeItem(tree, "Controls/ctlGauge.ctl") == nullptr);
        QVERIFY(bench.Component("ctlGauge").Code() != nullptr);
        QCOMPARE(bench.window.ActiveCodeWindow()->Component().Name(), std::string("modMain"));
        QCOMPARE(bench.window.ActiveCodeWindow()->Editor().SendScintilla(
                     QsciScintillaBase::SCI_GETCURRENTPOS),
                 bench.window.ActiveCodeWindow()->Editor().positionFromLineIndex(5, 3));

        // Another project, whose team settings cannot be taken, takes the user's own.
        const fs::path other = bench.dir.path() / "other";
        fs::create_directories(other);
        test::WriteBytes(other / "Other.bas", "Attribute VB_Name = \"Other\"\r\n");
        // Its own team file cannot be taken: said in the output window.
        test::WriteBytes(other / "brindle.ini", "[Options]\r\nSkip Existing=maybe\r\n");
        QVERIFY(bench.window.Open({Q(other / "Other.bas")}));
        QVERIFY(bench.window.Output().Entries().join('\n').contains(
            ":2: \"maybe\" is no value for Skip Existing: True or False (or 1/0, yes/no, on/off); "
            "your own options apply until it is fixed"));
        const AddinFields& fields = bench.window.Host().Addin().Fields();
        QCOMPARE(fields.msExcludedProcs, std::string());
        QVERIFY(!fields.mbSkipExisting);
        bench.window.ProjectMenu(*bench.window.Work().Projects().front());
        QCOMPARE(fields.msExcludedProcs, std::string("Form_Load"));
        bench.window.Host().Unload();
        QCOMPARE(host::SettingsFile(user).GetSetting(settings::kApp, "Options", "Author", ""),
                 std::string("Ann Author"));
        QVERIFY(test::ReadBytes(user).find("Module.txt") == std::string::npos);
    }

    // Refresh after a template change rewrites the blocks; No leaves the code as it is, and
    // Undo takes a module's refresh back in one step.
    void refreshRewritesWhatATemplateChangeAltered() {
        Bench bench("");
        const fs::path ex = bench.dir.path() / "ex";
        bench.OpenWithProcedureTemplate("' Procedure %ProcedureName%\r\n");
        host::MemoryComponent& module = bench.Component("modMain");
        CodeWindow& code = bench.Code("modMain");
        Trigger(*bench.window.CodeWindowMenu(), buttons::kAddHeaders);
        const std::string added = module.Serialize();
        QVERIFY(added.find("' Procedure LevelOf\r\n") != std::string::npos);

        test::WriteBytes(ex / "Proc.txt", "' Procedure %ProcedureName%, changed\r\n");
        auto& answers = bench.window.Host().Windows().Answers();
        answers.SetNextAnswer(vbNo);
        Trigger(*bench.window.CodeWindowMenu(), kRefreshTitle);
        QCOMPARE(module.Serialize(), added);
        answers.SetNextAnswer(vbYes);
        Trigger(*bench.window.ProjectMenu(*bench.window.Work().Projects().front()), kRefreshTitle);
        QVERIFY(module.Serialize().find("' Procedure LevelOf, changed\r\n") != std::string::npos);
        ShowsItsModule(code);
        QVERIFY2(bench.window.Output().Entries().last().contains("1 of 4 module(s) rewritten"),
                 qPrintable(bench.window.Output().Entries().last()));
        QCOMPARE(code.History().UndoName(), std::string(kRefreshTitle));
        bench.window.Undo();
        QCOMPARE(module.Serialize(), added);
        ShowsItsModule(code);
    }

    // Add All over several modules: a code window keeps the user's selection on its text, a
    // module opened afterwards has its caret at the top and a tab marked as the tree marks it,
    // and typing replaces nothing. One Undo takes the command out of every module, from a code
    // window or from none, one Redo puts it back; an edit after the Undo ends that Redo.
    void projectCommandIsOneStepAndKeepsSelections() {
        Bench bench;
        bench.window.BeginStartup();
        const auto modules = [&] {
            std::vector<std::string> all;
            for (const char* name : {"modMain", "CStockItem", "frmMain"}) {
                all.push_back(bench.Component(name).Serialize());
            }
            return all;
        };
        const auto closeAll = [&] {
            for (QMdiSubWindow* sub : bench.window.Windows()) {
                sub->close();
            }
            Settle();
        };
        const std::vector<std::string> before = modules();
        CodeWindow& main = bench.Code("modMain");
        main.Editor().setSelection(14, 12, 14, 22);
        main.Editor().setFirstVisibleLine(10);
        const auto keepsSelection = [&](CodeWindow& code) {
            QCOMPARE(code.Editor().selectedText(), QStringLiteral("StockLevel"));
            int line = 0, index = 0;
            code.Editor().getCursorPosition(&line, &index);
            QCOMPARE(code.Editor().text(line), QStringLiteral("Public Enum StockLevel\n"));
        };
        bench.window.Host().Windows().Answers().SetNextAnswer(vbYes);
        Trigger(*bench.window.ProjectMenu(*bench.window.Work().Projects().front()),
                buttons::kAddAllToProj);
        const std::vector<std::string> after = modules();
        for (std::size_t i = 0; i < after.size(); ++i) {
            QVERIFY(after[i] != before[i]);
        }
        keepsSelection(main);
        QCOMPARE(main.Editor().firstVisibleLine(), 10 + 9);  // with the module header above

        CodeWindow& item = bench.Code("CStockItem");
        QVERIFY(!item.Editor().hasSelectedText());
        int line = -1, index = -1;
        item.Editor().getCursorPosition(&line, &index);
        QCOMPARE(line, 0);
        QCOMPARE(index, 0);
        QTRY_VERIFY(TreeItem(bench.window.ProjectTree(), "CStockItem (CStockItem.cls) *"));
        QCOMPARE(bench.window.Windows().back()->windowTitle(),
                 QStringLiteral("Inventory - CStockItem (Code) *"));
        const QString top = item.Editor().text(0);
        item.Editor().setFocus();
        QTest::keyClicks(&item.Editor(), "x");
        QCOMPARE(item.Editor().text(0), "x" + top);
        bench.window.Undo();
        QCOMPARE(modules(), after);

        QCOMPARE(bench.window.NextStepName(true), std::string(buttons::kAddAllToProj));
        bench.window.Undo();
        QCOMPARE(modules(), before);
        ShowsItsModule(item);
        keepsSelection(main);
        closeAll();
        QCOMPARE(bench.window.NextStepName(false), std::string(buttons::kAddAllToProj));
        bench.window.Redo();
        QCOMPARE(modules(), after);
        // An edit after it in one module stands in the way until it is undone there.
        bench.Code("CStockItem").Editor().insertAt("' later\n", 0, 0);
        closeAll();
        bench.window.Undo();
        QCOMPARE(modules()[0], after[0]);
        QVERIFY(bench.window.Output().Entries().last().contains("changed after"));
        bench.Code("CStockItem");
        bench.window.Undo();
        QCOMPARE(modules(), after);
        bench.window.Undo();
        QCOMPARE(modules(), before);
        CodeWindow& reopened = bench.Code("modMain");
        Settle();
        keepsSelection(reopened);

        bench.Code("CStockItem").Editor().insertAt("' mine\n", 0, 0);
        closeAll();
        QCOMPARE(bench.window.NextStepName(false), std::string());
        QVERIFY(!bench.window.Work().ModuleOf(bench.Component("modMain"))->history->CanRedo());
    }

    // Replace All over the project changes every module that holds the text, as one step of
    // the project's history: one Undo gives back every module byte for byte, Redo replays it.
    // Find Next goes from module to module and says when it has come round; one Replace is one
    // step of its module.
    void findAndReplaceOverTheProject() {
        Bench bench;
        const auto modules = [&] {
            std::vector<std::string> all;
            for (const char* name : {"modMain", "CStockItem", "frmMain"}) {
                all.push_back(bench.Component(name).Serialize());
            }
            return all;
        };
        const std::vector<std::string> before = modules();
        bench.Code("modMain").Editor().setCursorPosition(0, 0);
        FindReplace& find = bench.window.Finder();
        bench.window.ShowFind(true);
        find.Dialog().Fill("quantity", "OnHand", SearchScope::Project, false, true, false);
        QCOMPARE(find.ReplaceAll(), 9);
        QCOMPARE(find.Note(), QStringLiteral("9 replacement(s) made."));
        const std::vector<std::string> after = modules();
        for (std::size_t i = 0; i < after.size(); ++i) {
            QVERIFY(after[i] != before[i]);
        }
        QVERIFY(after[2].find("mCurrent_QuantityChanged") != std::string::npos);  // not a word
        QVERIFY(after[1].find("Attribute Quantity.VB_Description") != std::string::npos);
        bench.window.Undo();
        QCOMPARE(modules(), before);
        bench.window.Redo();
        QCOMPARE(modules(), after);
        bench.window.Undo();

        find.Dialog().Fill("QuantityChanged", "", SearchScope::Project, true, false, false);
        QStringList visited;
        while (find.FindNext()) {
            CodeWindow* active = bench.window.ActiveCodeWindow();
            QCOMPARE(active->Editor().selectedText(), QStringLiteral("QuantityChanged"));
            int line = 0, index = 0;
            active->Editor().getCursorPosition(&line, &index);
            visited << QString::fromStdString(active->Component().Name()) + ":" +
                           QString::number(line + 1);
            QVERIFY(visited.size() < 10);
        }
        QCOMPARE(find.Note(), QStringLiteral("The specified region has been searched."));
        QCOMPARE(visited.size(), 4);
        QVERIFY2(visited.front().startsWith("CStockItem:") && visited.back().startsWith("frmMain:"),
                 qPrintable(visited.join(' ')));
        // A round that starts on a selected match ends there, and so does the next one.
        for (int round = 0; round < 2; ++round) {
            int found = 0;
            while (find.FindNext()) {
                QVERIFY(++found < 10);
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
        QVERIFY(bench.Component("CStockItem").Serialize() != before[1]);
        bench.window.Undo();
        QCOMPARE(modules(), before);
        ShowsItsModule(item);

        // Selected Text: what the selection holds, to the column.
        const QString itemText = item.Editor().text();
        const auto inside = [&](const char* text, int chars) {
            const QString upTo = itemText.left(itemText.indexOf(QLatin1String(text)) + chars);
            return std::pair(int(upTo.count('\n')), int(upTo.size() - upTo.lastIndexOf('\n') - 1));
        };
        const auto [firstLine, firstIndex] = inside("OldQuantity = mQuantity", 16);
        const auto [lastLine, lastIndex] = inside("mQuantity + Delta", 3);
        item.Editor().setSelection(firstLine, firstIndex, lastLine, lastIndex);
        bench.window.ShowFind(true);
        find.Dialog().Fill("mQuantity", "mCount", SearchScope::Selection, true, true, false);
        QVERIFY(find.FindNext());
        int found = 0, at = 0;
        item.Editor().getCursorPosition(&found, &at);
        QVERIFY(item.Editor().text(found).trimmed().startsWith("mQuantity = Value"));
        QVERIFY(!find.FindNext());
        QCOMPARE(find.Note(), QStringLiteral("The specified region has been searched."));
        QCOMPARE(find.ReplaceAll(), 1);
        bench.window.Undo();
        QCOMPARE(modules(), before);

        // What is typed is searched: the history completes nothing, whatever its letter case.
        auto* what = find.Dialog().findChild<QComboBox*>(QStringLiteral("findWhat"));
        find.Dialog().Fill("quantitychanged", "", SearchScope::Module, true, false, false);
        QTest::mouseClick(find.Dialog().findChild<QPushButton*>(QStringLiteral("findNext")),
                          Qt::LeftButton);
        what->lineEdit()->clear();
        QTest::keyClicks(what->lineEdit(), QStringLiteral("QUANTITYCHANGED"));
        QTest::keyClick(what->lineEdit(), Qt::Key_Return);
        QCOMPARE(what->currentText(), QStringLiteral("QUANTITYCHANGED"));
        QVERIFY(!find.FindNext());

        // The current procedure: LevelOf with the comment above it, not LoadDefaults' string.
        CodeWindow& main = bench.Code("modMain");
        const QString text = main.Editor().text();
        main.Editor().setCursorPosition(
            int(text.left(text.indexOf("If ReorderAt < 0")).count('\n')), 4);
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

    // Whole word, letter case and the Like operator's patterns as the Find dialog takes them;
    // in a double-byte code page a match begins only where a character does.
    void findOptions_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<bool>("pattern");
        QTest::addColumn<QString>("hits");  // column:length
        const QByteArray names("Dim qty, Qty, QTY_X");
        QTest::newRow("any case") << 1252 << names << "qty" << false << false << false
                                  << "5:3 10:3 15:3";
        QTest::newRow("match case") << 1252 << names << "Qty" << true << false << false << "10:3";
        QTest::newRow("whole word, _ joins")
            << 1252 << names << "qty" << false << true << false << "5:3 10:3";
        QTest::newRow("digits") << 1252 << QByteArray("x1 = x22 + y3") << "x#" << false << false
                                << true << "1:2 6:2";
        QTest::newRow("digits, whole word")
            << 1252 << QByteArray("x1 = x22 + y3") << "x#" << false << true << true << "1:2";
        QTest::newRow("list and run") << 1252 << QByteArray("Call cmdOK_Click") << "cmd[!a-z]*_"
                                      << true << false << true << "6:6";
        QTest::newRow("shortest run") << 1252 << QByteArray("a = \"x\" & \"y\"") << "\"*\"" << false
                                      << false << true << "5:3 11:3";
        QTest::newRow("Western letters keep their case")
            << 1252 << QByteArray("' caf\xe9 CAF\xc9") << QString::fromUtf8("caf\u00e9") << false
            << false << false << "3:4";
        QTest::newRow("Shift-JIS trail byte")
            << 932 << QByteArray("' \x95\x5c\x5c") << "\\" << false << false << false << "5:1";
        QTest::newRow("bad pattern")
            << 1252 << QByteArray("a[b") << "a[b" << false << false << true << "";
    }
    void findOptions() {
        QFETCH(int, codePage);
        QFETCH(QByteArray, line);
        QFETCH(QString, what);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWord);
        QFETCH(bool, pattern);
        QFETCH(QString, hits);
        const LineFinder finder({what.toStdString(), matchCase, wholeWord, pattern}, codePage);
        QStringList found;
        for (const Hit& hit : finder.In(line.toStdString(), 1)) {
            found << QStringLiteral("%1:%2").arg(hit.column).arg(hit.length);
        }
        QCOMPARE(found.join(' '), hits);
        QCOMPARE(finder.Problem().empty(), QTest::currentDataTag() != QByteArray("bad pattern"));
    }

    // Go to Definition finds procedures, properties and variables across the project's modules,
    // through a module's name or a variable's class; what it cannot find it says, as the IDE.
    void goToDefinitionAcrossModules() {
        Bench bench;
        QStringList told;
        bench.window.runDialog = [&](QDialog& dialog) {
            told << dynamic_cast<QMessageBox&>(dialog).text();
            return 0;
        };
        host::MemoryCodeModule& form = *bench.Component("frmMain").Code();
        std::int32_t load = 0;
        for (std::int32_t l = 1; l <= form.CountOfLines(); ++l) {
            if (form.Lines(l, 1).starts_with("Private Sub Form_Load")) {
                load = l;
            }
        }
        form.InsertLines(load + 1,
                         "    Caption = modMain.FormatPrice(1) & FormatPrice(2)\r\n"
                         "    LoadDefaults \"x\": Call Me.cmdAdjust_Click\r\n"
                         "    Dim n As Long, other As Inventory.CStockItem\r\n"
                         "    n = slLow + StockLevel.slNormal: other.Adjust n");
        struct Case {
            const char* text;  // the caret goes after its first occurrence
            const char* module;
            const char* declaration;  // the line the caret lands on; empty when not found
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
            {"LoadDef", "", ""},  // Private in another module
            {"Capt", "", ""},
        };
        for (const Case& c : cases) {
            CodeWindow& code = bench.Code("frmMain");
            const QString text = code.Editor().text();
            const qsizetype at = text.indexOf(QString::fromLatin1(c.text));
            QVERIFY2(at >= 0, c.text);
            const QString upTo = text.left(at + qsizetype(std::strlen(c.text)));
            code.Editor().setCursorPosition(int(upTo.count('\n')),
                                            int(upTo.size() - upTo.lastIndexOf('\n') - 1));
            told.clear();
            bench.window.GoToDefinition();
            if (*c.module == '\0') {
                QCOMPARE(told, QStringList("Identifier under cursor is not recognized"));
                continue;
            }
            QVERIFY2(told.isEmpty(), c.text);
            CodeWindow* landed = bench.window.ActiveCodeWindow();
            QCOMPARE(landed->Component().Name(), std::string(c.module));
            int line = 0, index = 0;
            landed->Editor().getCursorPosition(&line, &index);
            QVERIFY2(landed->Editor().text(line).startsWith(QString::fromLatin1(c.declaration)),
                     qPrintable(landed->Editor().text(line)));
        }
    }

    // The IDE's keys in a code window: Ctrl+Down and Ctrl+Up go from procedure to procedure,
    // Ctrl+Y cuts the line, Ctrl+Shift+F2 goes back to where Go to Definition left from and
    // Ctrl+F4 closes the window.
    void theIdesKeys() {
        Bench bench;
        bench.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&bench.window));
        CodeWindow& code = bench.Code("modMain");
        QsciScintilla& editor = code.Editor();
        editor.setFocus();
        editor.setCursorPosition(0, 0);
        const auto caretLine = [&] {
            int line = 0, index = 0;
            editor.getCursorPosition(&line, &index);
            return editor.text(line).trimmed();
        };
        QTest::keyClick(&editor, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(caretLine(), QStringLiteral("Sub Main()"));
        // The separator above the procedure, over the blank line that begins it.
        int main = 0, index = 0;
        editor.getCursorPosition(&main, &index);
        QTRY_COMPARE(editor.markersAtLine(main - 2), 1u << 1);
        QCOMPARE(editor.markersAtLine(main - 1), 0u);
        QTest::keyClick(&editor, Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(&editor, Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(&editor, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(caretLine(), QStringLiteral("Public Function ElapsedSince(ByVal StartTick As "
                                             "LongPtr) As LongPtr"));

        QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(QApplication::clipboard()->text().startsWith("Public Function ElapsedSince"));
        QVERIFY(bench.Component("modMain").Code()->Lines(1, 50).find("As LongPtr) As LongPtr") ==
                std::string::npos);
        bench.window.Undo();
        QVERIFY(bench.Component("modMain").Code()->Lines(1, 50).find("As LongPtr) As LongPtr") !=
                std::string::npos);

        const QString text = editor.text();
        const QString upTo = text.left(text.indexOf("LoadDefaults App") + 4);
        editor.setCursorPosition(int(upTo.count('\n')), 8);
        bench.window.GoToDefinition();
        QCOMPARE(caretLine(), QStringLiteral("Private Sub LoadDefaults(ByVal IniFile As String)"));
        QTest::keyClick(&editor, Qt::Key_F2, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(caretLine(), QStringLiteral("LoadDefaults App.Path & \"\\Inventory.ini\""));

        // A procedure's declaration typed with Return gets its End statement.
        host::MemoryCodeModule& module = *bench.Component("modMain").Code();
        editor.setCursorPosition(editor.lines() - 1, int(editor.text(editor.lines() - 1).size()));
        QTest::keyClick(&editor, Qt::Key_Return);
        QTest::keyClicks(&editor, "Sub Added");
        QTest::keyClick(&editor, Qt::Key_Return);
        QCOMPARE(module.Lines(module.CountOfLines() - 2, 3),
                 std::string("Sub Added()\r\n\r\nEnd Sub"));
        QCOMPARE(caretLine(), QString());
        // A line left takes the keywords' case and that of the names the module declares.
        QTest::keyClicks(&editor, "' a comment _");
        QTest::keyClick(&editor, Qt::Key_Return);
        QTest::keyClicks(&editor, "goes on");
        QTest::keyClick(&editor, Qt::Key_Return);
        QTest::keyClicks(&editor, "dim n as long: loaddefaults \"as is\" ' as is");
        QTest::keyClick(&editor, Qt::Key_Down);
        QTRY_COMPARE(module.Lines(module.CountOfLines() - 3, 3),
                     std::string("' a comment _\r\ngoes on\r\n"
                                 "Dim n As Long: LoadDefaults \"as is\" ' as is"));

        QTest::keyClick(&editor, Qt::Key_F4, Qt::ControlModifier);
        Settle();
        QVERIFY(bench.window.Windows().empty());
    }

    // Typing or pasting over a selection is one step, as the IDE has it.
    void replacingASelectionIsOneStep_data() {
        QTest::addColumn<bool>("paste");
        QTest::newRow("typed") << false;
        QTest::newRow("pasted") << true;
    }
    void replacingASelectionIsOneStep() {
        QFETCH(bool, paste);
        Bench bench;
        host::MemoryComponent& component = bench.Component("modMain");
        const std::string original = component.Serialize();
        CodeWindow& code = bench.Code("modMain");
        code.Editor().setFocus();
        code.Editor().setSelection(14, 12, 14, 22);
        if (paste) {
            QApplication::clipboard()->setText(QStringLiteral("Level"));
            QTest::keyClick(&code.Editor(), Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClicks(&code.Editor(), "Level");
        }
        QCOMPARE(code.Editor().text(14), QStringLiteral("Public Enum Level\n"));
        const std::string replaced = component.Serialize();
        bench.window.Undo();
        QCOMPARE(component.Serialize(), original);
        bench.window.Redo();
        QCOMPARE(component.Serialize(), replaced);
    }

    // A template holding a marker line is refused: nothing goes in from it, and the output
    // window says why, at a command and at Refresh.
    void aRefusedTemplateInsertsNothing() {
        Bench bench("");
        bench.OpenWithProcedureTemplate("' Procedure %ProcedureName%\r\n' [Brindle End]\r\n");
        host::MemoryComponent& module = bench.Component("modMain");
        const std::string before = module.Serialize();
        Trigger(*bench.window.CodeWindowMenu(), buttons::kAddHeaders);
        QCOMPARE(module.Serialize(), before);
        const QString told = bench.window.Output().Entries().join('\n');
        QVERIFY2(told.contains("is refused: its line 2 is a marker line"), qPrintable(told));
        bench.window.Host().Windows().Answers().SetNextAnswer(vbYes);
        Trigger(*bench.window.CodeWindowMenu(), kRefreshTitle);
        QCOMPARE(module.Serialize(), before);
        QVERIFY(bench.window.Output().Entries().join('\n').contains(
            "is a marker line, which would break the marked blocks it goes into; its blocks are "
            "left as they are"));
    }

    // Editor offsets (UTF-8 bytes) against module columns (the code page's bytes), both ways;
    // a column inside a two-byte character goes to its start.
    void columnsAndOffsets_data() {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("back");
        QTest::newRow("ASCII") << 1252 << QByteArray("Dim x") << 5 << 4 << 5;
        QTest::newRow("Western") << 1252 << QByteArray("' caf\xe9 au") << 7 << 7 << 7;
        QTest::newRow("past the end") << 1252 << QByteArray("ab") << 9 << 2 << 3;
        QTest::newRow("Shift-JIS") << 932 << QByteArray("' \x95\x5c\x8e\xa6 x") << 7 << 8 << 7;
        QTest::newRow("inside a character")
            << 932 << QByteArray("' \x95\x5c\x8e\xa6") << 4 << 2 << 3;
    }
    void columnsAndOffsets() {
        QFETCH(int, codePage);
        QFETCH(QByteArray, line);
        QFETCH(int, column);
        QFETCH(int, offset);
        QFETCH(int, back);
        QCOMPARE(Utf8Offset(line.toStdString(), column, codePage), offset);
        bool lossy = false;
        const std::string utf8 = host::ToUtf8(line.toStdString(), codePage);
        QCOMPARE(ModuleColumn(utf8, offset, codePage), back);
        QCOMPARE(Encode(utf8, codePage, lossy), line.toStdString());
        QVERIFY(!lossy);
    }

    // The colours of VB6 text: one row per kind of token.
    void lexerStyles_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("continuedComment");
        QTest::addColumn<QString>("styles");
        QTest::addColumn<bool>("carries");
        // 0 default, 1 keyword, 2 comment, 3 string, 4 number, 5 directive, 6 continuation
        QTest::newRow("keywords") << "Dim x As Long" << false << "1110001101111" << false;
        QTest::newRow("string and number")
            << "s = \"a\"\"b\" & &HFF" << false << "00003333330004444" << false;
        QTest::newRow("Rem at a statement's start")
            << "x = 1: Rem note _" << false << "00004002222222222" << true;
        QTest::newRow("Rem elsewhere is a name") << "Call Rem" << false << "11110000" << false;
        QTest::newRow("comment carried on") << "End Sub" << true << "2222222" << false;
        QTest::newRow("directive") << "#If VBA7 Then ' x" << false << "55555555555555222" << false;
        QTest::newRow("continuation") << "Call F(a, _" << false << "11110000006" << false;
    }
    void lexerStyles() {
        QFETCH(QString, line);
        QFETCH(bool, continuedComment);
        QFETCH(QString, styles);
        QFETCH(bool, carries);
        bool inComment = continuedComment;
        std::string shown;
        for (const char style : StyleLine(line.toStdString(), inComment)) {
            shown += static_cast<char>('0' + style);
        }
        QCOMPARE(QString::fromStdString(shown), styles);
        QCOMPARE(inComment, carries);
    }
};

}  // namespace brindle::workbench

QTEST_MAIN(brindle::workbench::WorkbenchTest)
#include "workbench_test.moc"
