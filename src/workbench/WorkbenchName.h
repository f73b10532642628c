#pragma once
// The workbench's name, as its title bar, its dialogs and the desktop show it.

#include <QString>

namespace brindle::workbench {

inline QString WorkbenchName() {
    return QStringLiteral("Brindle Workbench");
}

}  // namespace brindle::workbench
