#pragma once
// The one seam between the DLL and the object model over the real IDE: the IDE's VBE, as
// OnConnection hands it over, wrapped as our VBE.

#include <oaidl.h>

#include <memory>

#include "model/Vbide.h"

namespace brindle::dll {

// Holds a reference to `application` for as long as the result lives. Raises VbError when it
// cannot be wrapped.
std::unique_ptr<VBE> WrapVbe(IDispatch* application);

}  // namespace brindle::dll
