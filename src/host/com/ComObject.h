#pragma once
// The reference count and QueryInterface of every COM object of ours, written once. An object
// starts with the one reference its maker holds and deletes itself at its last Release; COM
// interfaces have no virtual destructor, so an object goes by Release, never by a delete through
// one of them.

#include <oaidl.h>
#include <windows.h>

#include <atomic>

namespace brindle::host::com {

// The warning that an interface's destructor is not virtual is answered above: no object of ours
// is deleted through one.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = Answer(iid);
        if (*object == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    virtual ~ComObject() = default;
    // This object as the interface of `iid`, or null where it answers none.
    virtual void* Answer(REFIID iid) = 0;

private:
    std::atomic<ULONG> references_{1};
};

// IDispatch without type information: our objects are called by name.
template <class... Interfaces>
class DispatchObject : public ComObject<Interfaces...> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) {
            *info = nullptr;
        }
        return DISP_E_BADINDEX;
    }
};
#pragma GCC diagnostic pop

}  // namespace brindle::host::com
