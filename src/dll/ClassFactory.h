#pragma once
// The class factory of Brindle, the one creatable class of the DLL.

#include <windows.h>

#include <objbase.h>

#include "host/com/ComObject.h"

namespace brindle::dll {

class ClassFactory final : public host::com::ComObject<IClassFactory> {
public:
    ClassFactory();
    ~ClassFactory() override;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    void* Answer(REFIID iid) override;
};

}  // namespace brindle::dll
