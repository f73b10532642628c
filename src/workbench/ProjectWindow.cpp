#include "workbench/ProjectWindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalBlocker>
#include <algorithm>
#include <utility>

#include "host/files/FileSystem.h"
#include "host/files/IgnoreFile.h"
#include "host/vb6/CodePage.h"
#include "ui/qt/QtText.h"
#include "workbench/CodeWindow.h"
#include "workbench/Skipped.h"

namespace fs = std::filesystem;

namespace brindle::workbench {
namespace {

using ui::qt::ToQString;

constexpr int kComponentRole = Qt::UserRole;
constexpr int kProjectRole = Qt::UserRole + 1;
constexpr int kLineRole = Qt::UserRole + 2;     // a skipped procedure's declaration
constexpr int kVersionRole = Qt::UserRole + 3;  // of the module when its skipped were shown

// The folders of the project window, in the IDE's order.
struct Folder {
    const char* name;
    std::vector<vbext_ComponentType> types;
};

const std::vector<Folder>& Folders() {
    static const std::vector<Folder> folders = {
        {"Forms", {vbext_ct_VBForm, vbext_ct_VBMDIForm, vbext_ct_MSForm}},
        {"Modules", {vbext_ct_StdModule}},
        {"Class Modules", {vbext_ct_ClassModule}},
        {"User Controls", {vbext_ct_UserControl}},
        {"Property Pages", {vbext_ct_PropPage}},
        {"User Documents", {vbext_ct_DocObject}},
        {"Designers", {vbext_ct_ActiveXDesigner, vbext_ct_RelatedDocument, vbext_ct_ResFile}},
    };
    return folders;
}

QString ComponentText(const OpenModule& module) {
    const host::MemoryComponent& component = module.Component();
    const QString name = ToQString(host::ToUtf8(component.Name(), component.CodePage()));
    const QString file = ToQString(
        host::ShownAsUtf8(host::TextOf(component.FilePath().filename()), component.CodePage()));
    return name + " (" + file + ")" + (module.modified ? " *" : "");
}

// Grey and italic, with the icon's disabled look, for what Brindle's commands leave alone.
void ShowAsSkipped(QTreeWidgetItem& item, bool skipped, const QIcon& icon) {
    item.setData(0, Qt::ForegroundRole,
                 skipped
                     ? QVariant(QApplication::palette().color(QPalette::Disabled, QPalette::Text))
                     : QVariant());
    if (!icon.isNull()) {
        item.setIcon(0, icon);
    }
    QFont font = item.font(0);
    font.setItalic(skipped);
    item.setFont(0, font);
}

void SetBold(QTreeWidgetItem& item, bool bold) {
    QFont font = item.font(0);
    font.setBold(bold);
    item.setFont(0, font);
}

OpenProject* ProjectOf(const QTreeWidgetItem& item) {
    return reinterpret_cast<OpenProject*>(item.data(0, kProjectRole).value<quintptr>());
}

host::MemoryComponent* ComponentOf(const QTreeWidgetItem& item) {
    return reinterpret_cast<host::MemoryComponent*>(item.data(0, kComponentRole).value<quintptr>());
}

}  // namespace

QString ProjectText(const OpenProject& project) {
    const QString name = ToQString(host::ToUtf8(project.project->Name(), project.codePage));
    if (project.file.empty()) {
        return name;
    }
    return name + " (" +
           ToQString(host::ShownAsUtf8(host::TextOf(project.file.filename()), project.codePage)) +
           ")";
}

ProjectWindow::ProjectWindow(const Workspace& workspace, std::function<const AddinFields&()> fields,
                             QWidget* parent)
    : QTreeWidget(parent), workspace_(workspace), fields_(std::move(fields)) {
    setObjectName(QStringLiteral("projectTree"));
    setHeaderHidden(true);
    // A long name is shown whole, and the window scrolls sideways to it.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowMenu(at); });
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (host::MemoryComponent* component = ComponentOf(*item); component && onOpen) {
            onOpen(*component, item->data(0, kLineRole).toInt());
        }
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item == nullptr) {
            return;
        }
        if (OpenProject* project = ProjectOf(*item); project && onProjectChosen) {
            onProjectChosen(*project);
        }
    });
}

void ProjectWindow::Rebuild() {
    clear();
    QStringList texts;
    for (const auto& project : workspace_.Projects()) {
        texts << ProjectText(*project);
    }
    for (const auto& project : workspace_.Projects()) {
        QString text = ProjectText(*project);
        // Two projects alike are told apart by their folders.
        if (texts.count(text) > 1 && !project->file.empty()) {
            text = ToQString(host::ToUtf8(project->project->Name(), project->codePage)) + " (" +
                   ToQString(host::ShownAsUtf8(host::TextOf(project->file.parent_path().filename() /
                                                            project->file.filename()),
                                               project->codePage)) +
                   ")";
        }
        auto* projectItem = new QTreeWidgetItem(this, {text});
        if (!project->file.empty()) {
            projectItem->setToolTip(0, ToQString(host::Label(project->file, project->codePage)));
        }
        projectItem->setData(0, kProjectRole,
                             QVariant::fromValue(reinterpret_cast<quintptr>(project.get())));
        projectItem->setIcon(0, Icon(QStyle::SP_DirIcon));
        AddModuleItems(*projectItem, *project);
        AddIgnoredItems(*projectItem, *project);
        projectItem->setExpanded(true);
        for (int i = 0; i < projectItem->childCount(); ++i) {
            projectItem->child(i)->setExpanded(project->modules.size() < 200);
        }
    }
    for (QTreeWidgetItem* item : ModuleItems()) {
        ShowSkipped(*item);
    }
}

QTreeWidgetItem* ProjectWindow::FolderItem(QTreeWidgetItem& projectItem, const QString& name) {
    auto* folder = new QTreeWidgetItem(&projectItem, {name});
    folder->setData(0, kProjectRole, projectItem.data(0, kProjectRole));
    folder->setIcon(0, Icon(QStyle::SP_DirClosedIcon));
    return folder;
}

void ProjectWindow::AddModuleItems(QTreeWidgetItem& projectItem, const OpenProject& project) {
    for (const Folder& folder : Folders()) {
        std::vector<const OpenModule*> inside;
        for (const auto& module : project.modules) {
            const auto type = module->Component().Type();
            if (std::find(folder.types.begin(), folder.types.end(), type) != folder.types.end()) {
                inside.push_back(module.get());
            }
        }
        if (inside.empty()) {
            continue;
        }
        std::sort(inside.begin(), inside.end(), [](const OpenModule* a, const OpenModule* b) {
            return QString::compare(ComponentText(*a), ComponentText(*b), Qt::CaseInsensitive) < 0;
        });
        QTreeWidgetItem* folderItem = FolderItem(projectItem, QString::fromLatin1(folder.name));
        for (const OpenModule* module : inside) {
            auto* item = new QTreeWidgetItem(folderItem, {ComponentText(*module)});
            item->setData(0, kProjectRole, projectItem.data(0, kProjectRole));
            item->setData(0, kComponentRole,
                          QVariant::fromValue(reinterpret_cast<quintptr>(&module->Component())));
            item->setIcon(0, Icon(QStyle::SP_FileIcon));
            if (module->modified) {
                SetBold(*item, true);
            }
        }
    }
}

// The modules that the .brindleignore beside the project leaves out: not opened, shown so
// that the user knows why they are missing.
void ProjectWindow::AddIgnoredItems(QTreeWidgetItem& projectItem, const OpenProject& project) {
    if (project.ignored.empty()) {
        return;
    }
    QTreeWidgetItem* folder = FolderItem(projectItem, QStringLiteral("Ignored"));
    folder->setToolTip(0, QStringLiteral("Modules that %1 leaves out: not opened, and no "
                                         "command touches them")
                              .arg(ToQString(host::kIgnoreFileName)));
    for (const host::IgnoredModule& ignored : project.ignored) {
        const fs::path relative = ignored.file.lexically_relative(project.file.parent_path());
        auto* item = new QTreeWidgetItem(
            folder, {ToQString(host::ShownAsUtf8(host::TextOf(relative), project.codePage))});
        item->setData(0, kProjectRole, projectItem.data(0, kProjectRole));
        item->setToolTip(0, QStringLiteral("Left out by %1: %2")
                                .arg(ToQString(host::kIgnoreFileName), ToQString(ignored.pattern)));
        ShowAsSkipped(*item, true, Icon(QStyle::SP_FileIcon, true));
    }
}

// The module items of the tree, without the procedure items below them.
const QIcon& ProjectWindow::Icon(QStyle::StandardPixmap kind, bool skipped) {
    auto [found, fresh] = icons_.try_emplace({kind, skipped});
    if (fresh) {
        const QIcon icon = style()->standardIcon(kind);
        found->second = skipped ? QIcon(icon.pixmap(16, QIcon::Disabled)) : icon;
    }
    return found->second;
}

std::vector<QTreeWidgetItem*> ProjectWindow::ModuleItems() {
    std::vector<QTreeWidgetItem*> items;
    for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
        if (ComponentOf(**it) != nullptr && (*it)->data(0, kLineRole).toInt() == 0) {
            items.push_back(*it);
        }
    }
    return items;
}

// Greys the module item, or lists its skipped procedures below it, with the reason as a tooltip.
// Looked at again only when its module changed since.
void ProjectWindow::ShowSkipped(QTreeWidgetItem& item) {
    host::MemoryComponent* component = ComponentOf(item);
    if (component->Code() == nullptr) {
        return;
    }
    const auto version = static_cast<qulonglong>(component->Code()->Version());
    if (item.data(0, kVersionRole).isValid() &&
        item.data(0, kVersionRole).toULongLong() == version) {
        return;
    }
    item.setData(0, kVersionRole, version);
    const Skipped skipped = FindSkipped(fields_(), *component);
    ShowAsSkipped(item, skipped.module.has_value(),
                  Icon(QStyle::SP_FileIcon, skipped.module.has_value()));
    if (skipped.module) {
        item.setToolTip(
            0, QStringLiteral("Brindle leaves this module alone: ") + ToQString(*skipped.module));
    } else {
        item.setToolTip(0, skipped.procedures.empty()
                               ? QString()
                               : QStringLiteral("Brindle leaves %1 of its procedures alone")
                                     .arg(skipped.procedures.size()));
    }
    const bool expanded = item.isExpanded();
    qDeleteAll(item.takeChildren());
    for (const SkippedProcedure& procedure : skipped.procedures) {
        auto* child =
            new QTreeWidgetItem(&item, {ToQString(procedure.name) + KindSuffix(procedure.kind)});
        child->setData(0, kProjectRole, item.data(0, kProjectRole));
        child->setData(0, kComponentRole, item.data(0, kComponentRole));
        child->setData(0, kLineRole, procedure.line);
        child->setToolTip(
            0, QStringLiteral("Brindle leaves this procedure alone: ") + ToQString(procedure.why));
        ShowAsSkipped(*child, true, {});
    }
    item.setExpanded(expanded);
}

void ProjectWindow::ShowMarks(bool modified) {
    for (QTreeWidgetItem* item : ModuleItems()) {
        ShowSkipped(*item);
        if (const OpenModule* module = workspace_.ModuleOf(*ComponentOf(*item));
            module && modified) {
            item->setText(0, ComponentText(*module));
            SetBold(*item, module->modified);
        }
    }
}

void ProjectWindow::ShowSkippedAgain() {
    for (QTreeWidgetItem* item : ModuleItems()) {
        item->setData(0, kVersionRole, QVariant());
        ShowSkipped(*item);
    }
}

// The active project is also the tree's current one, unless the current item is in it already:
// the tree would otherwise make its first item current when it gets the focus, and with it the
// project that item stands for.
void ProjectWindow::ShowActive(const OpenProject* project) {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        const bool active =
            item->data(0, kProjectRole).value<quintptr>() == reinterpret_cast<quintptr>(project);
        SetBold(*item, active);
        QTreeWidgetItem* current = currentItem();
        while (current != nullptr && current->parent() != nullptr) {
            current = current->parent();
        }
        if (active && current != item) {
            const QSignalBlocker blocker(this);
            setCurrentItem(item);
        }
    }
}

host::MemoryComponent* ProjectWindow::CurrentComponent() const {
    QTreeWidgetItem* item = currentItem();
    return item != nullptr ? ComponentOf(*item) : nullptr;
}

void ProjectWindow::ShowMenu(const QPoint& at) {
    QTreeWidgetItem* item = itemAt(at);
    if (item == nullptr) {
        return;
    }
    setCurrentItem(item);
    OpenProject* project = ProjectOf(*item);
    host::MemoryComponent* component = ComponentOf(*item);
    const QPoint global = viewport()->mapToGlobal(at);
    if (component == nullptr && item->parent() == nullptr && project != nullptr) {
        if (onProjectMenu) {
            onProjectMenu(*project, global);
        }
    } else if (component != nullptr && onComponentMenu) {
        onComponentMenu(*component, global);
    }
}

}  // namespace brindle::workbench
