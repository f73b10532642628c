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
#include "ui/OptionsForm.h"
#include "ui/qt/DialogAnswers.h"
#include "ui/qt/QtText.h"
#include "ui/qt/WinUtils.h"
#include "util/DateFormat.h"

namespace brindle::ui::qt {
namespace {

constexpr std::size_t kDateBox = IndexOf("txtDateFormat");

// Rich text, a paragraph each: Qt wraps a tooltip of rich text, never one of plain text.
QString Paragraphs(std::initializer_list<QString> texts) {
    QString html;
    for (const QString& text : texts) {
        html += QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>");
    }
    return html;
}

template <class Widget, class... Args>
Widget* Named(std::string_view name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(ToQString(name));
    return widget;
}

QWidget* Make(const OptionsFormControl& control) {
    const QString caption = ToQString(control.caption);
    switch (control.kind) {
        case ControlKind::Label:
            return Named<QLabel>(control.name, caption);
        case ControlKind::TextBox:
            return Named<QLineEdit>(control.name);
        case ControlKind::CheckBox:
            return Named<QCheckBox>(control.name, caption);
        case ControlKind::Button:
            break;
    }
    return Named<QPushButton>(control.name, caption);
}

class OptionsForm final : public QDialog {
public:
    explicit OptionsForm(QWidget* owner) : QDialog(owner) {
        setObjectName(QStringLiteral("frmOptions"));
        setWindowTitle(ToQString(kOptionsTitle));
        FixedDialogFrame(*this);

        tabOptions = Named<QTabWidget>("tabOptions");
        std::array<QGridLayout*, kOptionsTabs.size()> grids{};
        for (std::size_t tab = 0; tab < kOptionsTabs.size(); ++tab) {
            auto* page = new QWidget;
            grids[tab] = new QGridLayout(page);
            tabOptions->addTab(page, ToQString(kOptionsTabs[tab]));
        }
        auto* bottom = new QHBoxLayout;
        for (std::size_t i = 0; i < kOptionsForm.size(); ++i) {
            const OptionsFormControl& control = kOptionsForm[i];
            controls[i] = Make(control);
            if (control.tab < 0) {
                bottom->addWidget(controls[i]);
                if (control.column == 0) {
                    bottom->addStretch();
                }
                continue;
            }
            // A check box alone in its row spans both columns.
            const int span = control.kind == ControlKind::CheckBox ? 2 : 1;
            grids[static_cast<std::size_t>(control.tab)]->addWidget(controls[i], control.row,
                                                                    control.column, 1, span);
            if (control.column > 0 && kOptionsForm[i - 1].kind == ControlKind::Label) {
                static_cast<QLabel*>(controls[i - 1])->setBuddy(controls[i]);
            }
            if (!control.accessibleName.empty()) {
                auto* box = static_cast<QLineEdit*>(controls[i]);
                box->setAccessibleName(ToQString(control.accessibleName));
                box->setMinimumWidth(320);
                // The whole path, which a long one shows only in part.
                QObject::connect(box, &QLineEdit::textChanged, box, &QLineEdit::setToolTip);
            }
        }
        for (std::size_t tab = 0; tab < grids.size(); ++tab) {
            const int rows = grids[tab]->rowCount();
            grids[tab]->setRowStretch(rows, 1);
            grids[tab]->addWidget(teamNotes[tab] = TeamNote(), rows + 1, 0, 1, 2);
        }
        Box(kDateBox)->setPlaceholderText(QStringLiteral("Short Date, ISO or dd.mm.yyyy"));
        Box(kDateBox)->setToolTip(Paragraphs({QString::fromUtf8(kDateFormatHint)}));
        static_cast<QPushButton*>(controls[IndexOf("cmdOK")])->setDefault(true);
        tabOptions->setCurrentIndex(0);

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
        const std::string file = fixed.file.toStdString();
        for (std::size_t i = 0; i < kOptionsForm.size(); ++i) {
            const std::string_view key = kOptionsForm[i].key;
            if (key.empty() || std::ranges::find(fixed.keys, key) == fixed.keys.end()) {
                continue;
            }
            controls[i]->setEnabled(false);
            // A template box keeps its whole path in its tooltip, the date box what its
            // formats are, the reason below it.
            if (i == kDateBox) {
                controls[i]->setToolTip(Paragraphs(
                    {QString::fromUtf8(kDateFormatHint), ToQString(FixedTip("", file))}));
                continue;
            }
            const auto* box = qobject_cast<QLineEdit*>(controls[i]);
            controls[i]->setToolTip(
                ToQString(FixedTip(box != nullptr ? box->text().toStdString() : "", file)));
        }
        for (QLabel* note : teamNotes) {
            note->setText(ToQString(FixedNote(file)));
            note->show();
        }
    }

    QLineEdit* Box(std::size_t i) const { return static_cast<QLineEdit*>(controls[i]); }

    QTabWidget* tabOptions;
    std::array<QWidget*, kOptionsForm.size()> controls{};
    QFileDialog* cdlOpenFiles = nullptr;
    std::array<QLabel*, kOptionsTabs.size()> teamNotes{};
    std::function<void()> onCancel;
    std::function<void()> onHelp;

private:
    // The tabs, each control of the tab shown top to bottom, OK and Cancel.
    void OrderTabs() {
        QWidget* previous = tabOptions;
        for (std::size_t i = 0; i < kOptionsForm.size(); ++i) {
            if (kOptionsForm[i].kind != ControlKind::Label) {
                setTabOrder(previous, controls[i]);
                previous = controls[i];
            }
        }
    }

    static QLabel* TeamNote() {
        auto* note = Named<QLabel>("lblTeam");
        note->setWordWrap(true);
        note->hide();
        return note;
    }
};

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
        for (std::size_t i = 0; i < kOptionsForm.size(); ++i) {
            const OptionsFormControl& control = kOptionsForm[i];
            QWidget* widget = form.controls[i];
            if (control.text != nullptr) {
                QObject::connect(static_cast<QLineEdit*>(widget), &QLineEdit::textChanged, &form,
                                 [this, value = control.text](const QString& text) {
                                     controls_.*value = text.toStdString();
                                 });
            } else if (control.check != nullptr) {
                QObject::connect(
                    static_cast<QCheckBox*>(widget), &QCheckBox::toggled, &form,
                    [this, value = control.check](bool on) { controls_.*value = on ? 1 : 0; });
            } else if (const auto filled = FilledBox(i)) {
                QLineEdit* box = form.Box(*filled);
                QObject::connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, &form,
                                 [this, box] { FromForm([&] { ChooseTemplate(*box); }); });
            }
        }
        QObject::connect(static_cast<QPushButton*>(form.controls[IndexOf("cmdOK")]),
                         &QPushButton::clicked, &form,
                         [this] { FromForm([&] { cmdOK_Click(); }); });
        QObject::connect(static_cast<QPushButton*>(form.controls[IndexOf("cmdCancel")]),
                         &QPushButton::clicked, &form,
                         [this] { FromForm([&] { cmdCancel_Click(); }); });
        form.onCancel = [this] { FromForm([&] { cmdCancel_Click(); }); };
    }

    // The values the add-in put into the controls, onto the form.
    void Push() {
        const OptionsControls values = controls_;
        for (std::size_t i = 0; i < kOptionsForm.size(); ++i) {
            if (kOptionsForm[i].text != nullptr) {
                form_->Box(i)->setText(ToQString(values.*kOptionsForm[i].text));
            } else if (kOptionsForm[i].check != nullptr) {
                static_cast<QCheckBox*>(form_->controls[i])
                    ->setChecked(values.*kOptionsForm[i].check == 1);
            }
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
            const std::string start = StartFolder(
                LastDir(), (host_.home ? host_.home() : QString()).toStdString(),
                QDir::separator().toLatin1(),
                [](const std::string& folder) { return QFileInfo(ToQString(folder)).isDir(); });
            dialog.setDirectory(start.empty() ? QDir::currentPath()
                                              : QDir(ToQString(start)).absolutePath());
            const FileChoice chosen = Ask(dialog);
            if (!chosen) {
                return;
            }
            const QString path = QDir::toNativeSeparators(*chosen);
            box.setText(path);
            NoteChosenFile(*this, path.toStdString());
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
