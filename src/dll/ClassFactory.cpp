#include "dll/ClassFactory.h"

#include "dll/AddinObject.h"
#include "dll/Server.h"

namespace brindle::dll {

ClassFactory::ClassFactory() {
    ObjectMade();
}

ClassFactory::~ClassFactory() {
    ObjectGone();
}

void* ClassFactory::Answer(REFIID iid) {
    return IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)
               ? static_cast<IClassFactory*>(this)
               : nullptr;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    AddinObject* object = nullptr;
    try {
        object = new AddinObject();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    dll::LockServer(lock != FALSE);
    return S_OK;
}

}  // namespace brindle::dll
