#include "workbench/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>
#include <utility>

#include "addin/Brindle.h"
#include "ui/qt/QtText.h"
#include "ui/qt/WinUtils.h"
#include "workbench/WorkbenchName.h"

namespace brindle::workbench {
namespace {

struct KnownCodePage {
    int number;
    const char* name;
};

constexpr std::array<KnownCodePage, 15> kCodePages = {{
    {1252, "Western European"},
    {1250, "Central European"},
    {1251, "Cyrillic"},
    {1253, "Greek"},
    {1254, "Turkish"},
    {1255, "Hebrew"},
    {1256, "Arabic"},
    {1257, "Baltic"},
    {1258, "Vietnamese"},
    {874, "Thai"},
    {932, "Japanese (Shift-JIS)"},
    {936, "Chinese Simplified (GBK)"},
    {949, "Korean"},
    {950, "Chinese Traditional (Big5)"},
    {65001, "UTF-8"},
}};

QDialogButtonBox* OkCancel(QDialog& dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

AddInManager::AddInManager(bool loaded, bool loadOnStartup, QWidget* parent)
    : QDialog(parent),
      list_(new QTreeWidget),
      loaded_(new QCheckBox(QStringLiteral("Loaded/Unloaded"))),
      onStartup_(new QCheckBox(QStringLiteral("Load on Startup"))) {
    setObjectName(QStringLiteral("addInManager"));
    setWindowTitle(QStringLiteral("Add-In Manager"));
    ui::qt::FixedDialogFrame(*this);
    list_->setHeaderLabels({QStringLiteral("Available Add-Ins"), QStringLiteral("Load Behavior")});
    list_->setRootIsDecorated(false);
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, 260);
    auto* item = new QTreeWidgetItem(list_, {ui::qt::ToQString(kAddinDescription), QString()});
    list_->setCurrentItem(item);
    loaded_->setObjectName(QStringLiteral("chkLoaded"));
    onStartup_->setObjectName(QStringLiteral("chkLoadOnStartup"));
    loaded_->setChecked(loaded);
    onStartup_->setChecked(loadOnStartup);
    connect(loaded_, &QCheckBox::toggled, this, [this] { ShowBehaviour(); });
    connect(onStartup_, &QCheckBox::toggled, this, [this] { ShowBehaviour(); });
    ShowBehaviour();

    auto* behaviour = new QGroupBox(QStringLiteral("Load Behavior"));
    auto* boxes = new QVBoxLayout(behaviour);
    boxes->addWidget(loaded_);
    boxes->addWidget(onStartup_);
    auto* description = new QLabel(QStringLiteral(
        "Puts standard module headers, procedure headers and error handlers into VB6 code from "
        "your templates, and takes them out again."));
    description->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(description);
    layout->addWidget(behaviour);
    layout->addWidget(OkCancel(*this));
    resize(460, 340);
}

bool AddInManager::Loaded() const {
    return loaded_->isChecked();
}

bool AddInManager::LoadOnStartup() const {
    return onStartup_->isChecked();
}

void AddInManager::SetLoaded(bool loaded) {
    loaded_->setChecked(loaded);
}

void AddInManager::SetLoadOnStartup(bool load) {
    onStartup_->setChecked(load);
}

void AddInManager::ShowBehaviour() {
    QStringList behaviour{loaded_->isChecked() ? QStringLiteral("Loaded")
                                               : QStringLiteral("Unloaded")};
    if (onStartup_->isChecked()) {
        behaviour << QStringLiteral("Startup");
    }
    list_->topLevelItem(0)->setText(1, behaviour.join(QStringLiteral(" / ")));
}

CodePageDialog::CodePageDialog(const QString& project, int codePage, QWidget* parent)
    : QDialog(parent), choices_(new QComboBox) {
    setObjectName(QStringLiteral("codePageDialog"));
    setWindowTitle(QStringLiteral("Code Page"));
    ui::qt::FixedDialogFrame(*this);
    for (const KnownCodePage& known : kCodePages) {
        choices_->addItem(
            QStringLiteral("%1  %2").arg(known.number).arg(QString::fromLatin1(known.name)),
            known.number);
    }
    SetCodePage(codePage);
    auto* text = new QLabel(
        QStringLiteral("The code page that the files of %1 are written in. Their text is shown "
                       "and typed in it; the bytes of lines you do not edit stay as they are.")
            .arg(project));
    text->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(choices_);
    layout->addWidget(OkCancel(*this));
    resize(420, 150);
}

int CodePageDialog::CodePage() const {
    return choices_->currentData().toInt();
}

void CodePageDialog::SetCodePage(int codePage) {
    int index = choices_->findData(codePage);
    if (index < 0) {
        choices_->addItem(QString::number(codePage), codePage);
        index = choices_->count() - 1;
    }
    choices_->setCurrentIndex(index);
}

UnsavedAnswer AskAboutUnsaved(QWidget* parent, const QStringList& files,
                              ui::qt::DialogAnswers& answers) {
    QMessageBox box(QMessageBox::Warning, WorkbenchName(),
                    QStringLiteral("Save changes to the following files?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("unsavedQuestion"));
    box.setInformativeText(files.join('\n'));
    box.setDefaultButton(QMessageBox::Save);
    if (const std::optional<VbMsgBoxResult> given = answers.TakeNextAnswer()) {
        return *given == vbYes  ? UnsavedAnswer::Save
               : *given == vbNo ? UnsavedAnswer::Discard
                                : UnsavedAnswer::Cancel;
    }
    switch (box.exec()) {
        case QMessageBox::Save:
            return UnsavedAnswer::Save;
        case QMessageBox::Discard:
            return UnsavedAnswer::Discard;
        default:
            return UnsavedAnswer::Cancel;
    }
}

}  // namespace brindle::workbench
