#include "ui/qt/OptionsDialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/SettingsKeys.h"
#include "ui/qt/DialogAnswers.h"
#include "ui/qt/QtText.h"
#include "ui/qt/WinUtils.h"
#include "util/DateFormat.h"

namespace brindle::ui::qt {
namespace {

// One row of the Templates tab: its button and its text box, in the order of kTemplateSlots
// and of kTemplateBoxes, the control values they edit.
struct TemplateRow {
    const char* button;
    const char* caption;
    const char* box;
    const char* boxName;  // what a screen reader calls the box
};

// Rich text, a paragraph each: Qt wraps a tooltip of rich text, never one of plain text.
QString Paragraphs(std::initializer_list<QString> texts) {
    QString html;
    for (const QString& text : texts) {
        html += QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>");
    }
    return html;
}

// The access keys differ from those of the General tab too.
constexpr std::array<TemplateRow, kTemplateSlots.size()> kTemplateRows = {{
    {"cmdLoadModHdrTmplt", "&Module Header ...", "txtModHdrFname", "Module header template file"},
    {"cmdLoadProcHdrTmplt", "&Procedure Header ...", "txtProcHdrFname",
     "Procedure header template file"},
    {"cmdLoadErrHdrTmplt", "Error &Handler Header ...", "txtErrHdrFname",
     "Error handler header template file"},
    {"cmdLoadErrFtrTmplt", "&Error Handler Footer ...", "txtErrFtrFname",
     "Error handler footer template file"},
}};

template <class Widget, class... Args>
Widget* Named(const char* name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

class OptionsForm final : public QDialog {
public:
    explicit OptionsForm(QWidget* owner) : QDialog(owner) {
        setObjectName(QStringLiteral("frmOptions"));
        setWindowTitle(QStringLiteral("Brindle Options"));
        FixedDialogFrame(*this);

        tabOptions = Named<QTabWidget>("tabOptions");
        tabOptions->addTab(GeneralTab(), QStringLiteral("General"));
        tabOptions->addTab(TemplatesTab(), QStringLiteral("Templates"));
        tabOptions->setCurrentIndex(0);

        cmdOK = Named<QPushButton>("cmdOK", QStringLiteral("OK"));
        cmdOK->setDefault(true);
        cmdCancel = Named<QPushButton>("cmdCancel", QStringLiteral("Cancel"));
        auto* bottom = new QHBoxLayout;
        bottom->addWidget(
            Named<QLabel>("lblHelp", QStringLiteral("Press F1 for help on VB Brindle")));
        bottom->addStretch();
        bottom->addWidget(cmdOK);
        bottom->addWidget(cmdCancel);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(tabOptions);
        layout->addLayout(bottom);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        adjustSize();
        OrderTabs();
    }

    // F1, from whichever control has the focus: the controls leave it to the dialog.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::HelpContents) && onHelp) {
            onHelp();
            return;
        }
        QDialog::keyPressEvent(event);
    }

    // Escape and the window's close button come here.
    void reject() override {
        if (onCancel) {
            onCancel();
        } else {
            QDialog::reject();
        }
    }

    // The one file dialog of the form, made when a template button first needs it.
    QFileDialog& OpenFiles() {
        if (cdlOpenFiles == nullptr) {
            cdlOpenFiles = Named<QFileDialog>("cdlOpenFiles", this);
            cdlOpenFiles->setAcceptMode(QFileDialog::AcceptOpen);
            cdlOpenFiles->setFileMode(QFileDialog::ExistingFile);
            cdlOpenFiles->setNameFilters(
                {QStringLiteral("Text (*.txt)"), QStringLiteral("All Files (*)")});
            cdlOpenFiles->setDefaultSuffix(QStringLiteral("txt"));
        }
        return *cdlOpenFiles;
    }

    // The fields another file decides are greyed, that file named on them.
    void Fix(const FixedOptions& fixed) {
        if (fixed.file.isEmpty() || fixed.keys.empty()) {
            return;
        }
        const QString why = QStringLiteral("Set for this project by %1").arg(fixed.file);
        for (const std::string_view key : fixed.keys) {
            for (QWidget* control : ControlsOf(key)) {
                control->setEnabled(false);
                // A template box keeps its whole path in its tooltip, the date box what its
                // formats are, the reason below it.
                const auto* box = qobject_cast<QLineEdit*>(control);
                if (control == txtDateFormat) {
                    control->setToolTip(Paragraphs({QString::fromUtf8(kDateFormatHint), why}));
                    continue;
                }
                const QString above = box != nullptr ? box->text() : QString();
                control->setToolTip(above.isEmpty() ? why : above + QLatin1Char('\n') + why);
            }
        }
        for (QLabel* note : teamNotes) {
            note->setText(QStringLiteral("Greyed fields are set for this project by %1; your "
                                         "own values apply to other projects.")
                              .arg(fixed.file));
            note->show();
        }
    }

    QTabWidget* tabOptions;
    QLineEdit* txtAuthor = nullptr;
    QCheckBox* chkCodeMarkers = nullptr;
    QCheckBox* chkDisableSplash = nullptr;
    QCheckBox* chkSkipExisting = nullptr;
    QLineEdit* txtDateFormat = nullptr;
    std::array<QPushButton*, 4> templateButtons{};
    std::array<QLineEdit*, 4> templateBoxes{};
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QFileDialog* cdlOpenFiles = nullptr;
    std::array<QLabel*, 2> teamNotes{};
    std::function<void()> onCancel;
    std::function<void()> onHelp;

private:
    // The tabs, each control of the tab shown top to bottom, OK and Cancel.
    void OrderTabs() {
        std::vector<QWidget*> chain = {tabOptions,       txtAuthor,       chkCodeMarkers,
                                       chkDisableSplash, chkSkipExisting, txtDateFormat};
        for (std::size_t i = 0; i < templateButtons.size(); ++i) {
            chain.push_back(templateButtons[i]);
            chain.push_back(templateBoxes[i]);
        }
        chain.push_back(cmdOK);
        chain.push_back(cmdCancel);
        for (std::size_t i = 1; i < chain.size(); ++i) {
            setTabOrder(chain[i - 1], chain[i]);
        }
    }

    QWidget* GeneralTab() {
        auto* tab = new QWidget;
        auto* grid = new QGridLayout(tab);
        auto* label = Named<QLabel>("Label1", QStringLiteral("&Author"));
        txtAuthor = Named<QLineEdit>("txtAuthor");
        label->setBuddy(txtAuthor);
        chkCodeMarkers = Named<QCheckBox>(
            "chkCodeMarkers",
            QStringLiteral("Add &Code Markers (Allows for removal of code added by Brindle)"));
        chkDisableSplash = Named<QCheckBox>("chkDisableSplash",
                                            QStringLiteral("&Disable splash screen on startup"));
        chkSkipExisting = Named<QCheckBox>(
            "chkSkipExisting", QStringLiteral("&Skip headers and error handlers already there"));
        grid->addWidget(label, 0, 0);
        grid->addWidget(txtAuthor, 0, 1);
        grid->addWidget(chkCodeMarkers, 1, 0, 1, 2);
        grid->addWidget(chkDisableSplash, 2, 0, 1, 2);
        grid->addWidget(chkSkipExisting, 3, 0, 1, 2);
        auto* dateLabel = Named<QLabel>("lblDateFormat", QStringLiteral("Date &Format"));
        txtDateFormat = Named<QLineEdit>("txtDateFormat");
        txtDateFormat->setPlaceholderText(QStringLiteral("Short Date, ISO or dd.mm.yyyy"));
        txtDateFormat->setToolTip(Paragraphs({QString::fromUtf8(kDateFormatHint)}));
        dateLabel->setBuddy(txtDateFormat);
        grid->addWidget(dateLabel, 4, 0);
        grid->addWidget(txtDateFormat, 4, 1);
        grid->setRowStretch(5, 1);
        grid->addWidget(teamNotes[0] = TeamNote(), 6, 0, 1, 2);
        return tab;
    }

    QWidget* TemplatesTab() {
        auto* tab = new QWidget;
        auto* grid = new QGridLayout(tab);
        for (std::size_t i = 0; i < kTemplateRows.size(); ++i) {
            const TemplateRow& row = kTemplateRows[i];
            templateButtons[i] = Named<QPushButton>(row.button, QString::fromLatin1(row.caption));
            templateBoxes[i] = Named<QLineEdit>(row.box);
            templateBoxes[i]->setAccessibleName(QString::fromLatin1(row.boxName));
            templateBoxes[i]->setMinimumWidth(320);
            // The whole path, which a long one shows only in part.
            QObject::connect(templateBoxes[i], &QLineEdit::textChanged, templateBoxes[i],
                             &QLineEdit::setToolTip);
            grid->addWidget(templateButtons[i], static_cast<int>(i), 0);
            grid->addWidget(templateBoxes[i], static_cast<int>(i), 1);
        }
        grid->setRowStretch(static_cast<int>(kTemplateRows.size()), 1);
        grid->addWidget(teamNotes[1] = TeamNote(), static_cast<int>(kTemplateRows.size()) + 1, 0, 1,
                        2);
        return tab;
    }

    static QLabel* TeamNote() {
        auto* note = Named<QLabel>("lblTeam");
        note->setWordWrap(true);
        note->hide();
        return note;
    }

    std::vector<QWidget*> ControlsOf(std::string_view key) {
        if (key == settings::kMarkersKey) {
            return {chkCodeMarkers};
        }
        if (key == settings::kSkipExistingKey) {
            return {chkSkipExisting};
        }
        if (key == settings::kDateFormatKey) {
            return {txtDateFormat};
        }
        for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
            if (key == kTemplateSlots[i].key) {
                return {templateButtons[i], templateBoxes[i]};
            }
        }
        return {};
    }
};

// Where the file dialog starts: LastDir as stored (a backslash separates folders there too),
// else `home` when LastDir names no folder here.
QString StartFolder(const std::string& lastDir, const QString& home) {
    QString folder = ToQString(lastDir);
#ifndef Q_OS_WIN
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return home.isEmpty() ? QDir::currentPath() : home;
    }
    return QDir(folder).absolutePath();
}

// The chosen file's own folder with its separator, also where a folder above it has the
// file's name; nothing for a bare name.
std::optional<QString> FolderOf(const QString& path) {
    const qsizetype last =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (last < 0 || last + 1 == path.size()) {
        return std::nullopt;
    }
    return path.left(last + 1);
}

class QtOptions final : public frmOptions {
public:
    QtOptions(QWidget* owner, Diagnostics* sink, OptionsHost host)
        : frmOptions(sink), owner_(owner), sink_(sink), host_(std::move(host)) {}
    ~QtOptions() override {
        delete form_.data();
        busy_ = 0;
        DeleteClosed();
    }
    QtOptions(const QtOptions&) = delete;
    QtOptions& operator=(const QtOptions&) = delete;

    OptionsControls& Controls() override {
        Load();
        return controls_;
    }

    void ShowModal() override {
        Load();
        Push();
        ++busy_;
        form_->exec();
        --busy_;
        if (form_) {
            Unload();
        }
        DeleteClosed();
    }

    void Unload() override {
        if (!form_) {
            return;
        }
        OptionsForm* form = form_;
        form_ = nullptr;
        form->done(QDialog::Rejected);
        // Inside the form's own event or modal loop it goes when that has returned.
        closing_.emplace_back(form);
        DeleteClosed();
    }

private:
    // Form_Load: the controls start afresh and the dialog is centred on the screen.
    void Load() {
        if (form_) {
            return;
        }
        PassOn("frmOptions.Form_Load", [&] {
            controls_ = OptionsControls{};
            form_ = new OptionsForm(owner_);
            Connect(*form_);
            if (host_.help) {
                form_->onHelp = [this] { host_.help(form_); };
            }
            CentreOnScreen(*form_);
        });
    }

    void Connect(OptionsForm& form) {
        QObject::connect(form.txtAuthor, &QLineEdit::textChanged, &form,
                         [this](const QString& text) { controls_.txtAuthor = text.toStdString(); });
        QObject::connect(form.chkCodeMarkers, &QCheckBox::toggled, &form,
                         [this](bool on) { controls_.chkCodeMarkers = on ? 1 : 0; });
        QObject::connect(form.chkDisableSplash, &QCheckBox::toggled, &form,
                         [this](bool on) { controls_.chkDisableSplash = on ? 1 : 0; });
        QObject::connect(form.chkSkipExisting, &QCheckBox::toggled, &form,
                         [this](bool on) { controls_.chkSkipExisting = on ? 1 : 0; });
        QObject::connect(
            form.txtDateFormat, &QLineEdit::textChanged, &form,
            [this](const QString& text) { controls_.txtDateFormat = text.toStdString(); });
        for (std::size_t i = 0; i < kTemplateRows.size(); ++i) {
            QLineEdit* box = form.templateBoxes[i];
            std::string OptionsControls::*value = kTemplateBoxes[i];
            QObject::connect(
                box, &QLineEdit::textChanged, &form,
                [this, value](const QString& text) { controls_.*value = text.toStdString(); });
            QObject::connect(form.templateButtons[i], &QPushButton::clicked, &form,
                             [this, box] { FromForm([&] { ChooseTemplate(*box); }); });
        }
        QObject::connect(form.cmdOK, &QPushButton::clicked, &form,
                         [this] { FromForm([&] { cmdOK_Click(); }); });
        QObject::connect(form.cmdCancel, &QPushButton::clicked, &form,
                         [this] { FromForm([&] { cmdCancel_Click(); }); });
        form.onCancel = [this] { FromForm([&] { cmdCancel_Click(); }); };
    }

    // The values the add-in put into the controls, onto the form.
    void Push() {
        const OptionsControls values = controls_;
        form_->txtAuthor->setText(ToQString(values.txtAuthor));
        form_->chkCodeMarkers->setChecked(values.chkCodeMarkers == 1);
        form_->chkDisableSplash->setChecked(values.chkDisableSplash == 1);
        form_->chkSkipExisting->setChecked(values.chkSkipExisting == 1);
        form_->txtDateFormat->setText(ToQString(values.txtDateFormat));
        for (std::size_t i = 0; i < kTemplateRows.size(); ++i) {
            form_->templateBoxes[i]->setText(ToQString(values.*kTemplateBoxes[i]));
        }
        if (host_.fixed) {
            form_->Fix(host_.fixed());
        }
    }

    // A template button: a chosen file fills the box and its folder becomes LastDir; a
    // cancelled dialog changes nothing.
    void ChooseTemplate(QLineEdit& box) {
        IgnoreStep(sink_, [&] {
            QFileDialog& dialog = form_->OpenFiles();
            dialog.setDirectory(StartFolder(LastDir(), host_.home));
            const FileChoice chosen = Ask(dialog);
            if (!chosen) {
                return;
            }
            const QString path = QDir::toNativeSeparators(*chosen);
            box.setText(path);
            if (const std::optional<QString> folder = FolderOf(path)) {
                SetLastDir(folder->toStdString());
            }
        });
    }

    FileChoice Ask(QFileDialog& dialog) {
        if (host_.answers != nullptr) {
            if (std::optional<FileChoice> given = host_.answers->TakeNextFileChoice()) {
                return *given;
            }
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return dialog.selectedFiles().front();
    }

    // Runs a handler of the form's events; a form unloaded meanwhile is deleted afterwards.
    template <class Handler>
    void FromForm(Handler&& handler) {
        ++busy_;
        handler();
        --busy_;
        DeleteClosed();
    }

    void DeleteClosed() {
        if (busy_ == 0) {
            for (const QPointer<OptionsForm>& form : std::exchange(closing_, {})) {
                delete form.data();
            }
        }
    }

    QPointer<QWidget> owner_;
    Diagnostics* sink_;
    OptionsHost host_;
    QPointer<OptionsForm> form_;
    std::vector<QPointer<OptionsForm>> closing_;
    OptionsControls controls_;
    int busy_ = 0;
};

}  // namespace

std::unique_ptr<frmOptions> MakeOptionsDialog(QWidget* owner, Diagnostics* sink, OptionsHost host) {
    return std::make_unique<QtOptions>(owner, sink, std::move(host));
}

}  // namespace brindle::ui::qt
