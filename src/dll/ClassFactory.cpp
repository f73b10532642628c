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

HRESULT ClassFactory::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG ClassFactory::AddRef() {
    return ++references_;
}

ULONG ClassFactory::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
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
