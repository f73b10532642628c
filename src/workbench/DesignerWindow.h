#pragma once
// A designer window: read-only, a sketch of the form's controls drawn from their place and
// size, above the design block as the file holds it.

#include <QWidget>

#include "host/ide/MemoryProject.h"

namespace brindle::workbench {

class DesignerWindow final : public QWidget {
public:
    DesignerWindow(const host::MemoryComponent& component, int codePage, QWidget* parent = nullptr);

    const host::MemoryComponent& Component() const { return component_; }

private:
    const host::MemoryComponent& component_;
};

}  // namespace brindle::workbench
