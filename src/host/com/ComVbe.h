#pragma once
// Our object model over the IDE's own objects, for the add-in inside the VB6 IDE or Office's
// VBA editor: every member is called by name through IDispatch, as the objects that
// OnConnection hands over offer them.

#include <memory>

#include "host/com/Dispatch.h"
#include "model/Office.h"
#include "model/Vbide.h"

namespace brindle::host::com {

class Registry;

// The code page the IDE converts its strings with: the system's ANSI code page.
int SystemCodePage();

class ComVbe final : public VBE {
public:
    // `vbe` is the VBInst of OnConnection; text crosses in `codePage`.
    explicit ComVbe(DispatchPtr vbe, int codePage = SystemCodePage());
    ~ComVbe() override;
    ComVbe(const ComVbe&) = delete;
    ComVbe& operator=(const ComVbe&) = delete;

    brindle::CodePane* ActiveCodePane() override;
    VBProject* ActiveVBProject() override;
    brindle::Windows& Windows() override;
    brindle::CommandBars& CommandBars() override;
    brindle::Events& Events() override;
    brindle::Addins& Addins() override;

    // The add-in list's entry that OnConnection hands over with VBInst.
    AddIn& WrapAddIn(DispatchPtr addIn);

private:
    Object vbe_;
    std::unique_ptr<Registry> registry_;
};

}  // namespace brindle::host::com
