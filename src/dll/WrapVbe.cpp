#include "dll/WrapVbe.h"

#include "model/VbError.h"

namespace brindle::dll {
namespace {

// What the add-in reaches of the VBE first. Office's Application has command bars and add-ins
// too, so the VBE's own members tell them apart.
constexpr const wchar_t* kVbeMembers[] = {L"ActiveCodePane", L"CommandBars", L"Events", L"Addins"};

bool IsVbe(IDispatch& application) {
    for (const wchar_t* member : kVbeMembers) {
        LPOLESTR name = const_cast<LPOLESTR>(member);
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(application.GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::unique_ptr<host::com::ComVbe> WrapVbe(IDispatch* application) {
    if (application == nullptr) {
        throw VbError(91, "Object variable or With block variable not set", "VBBrindle.WrapVbe");
    }
    if (!IsVbe(*application)) {
        throw VbError(438, "Object doesn't support this property or method", "VBBrindle.WrapVbe");
    }
    return std::make_unique<host::com::ComVbe>(host::com::DispatchPtr::Share(application));
}

}  // namespace brindle::dll
