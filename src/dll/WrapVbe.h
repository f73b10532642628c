#pragma once
// The one seam between the DLL and the object model over the real IDE: the IDE's VBE, as
// OnConnection hands it over, wrapped as our VBE.

#include <oaidl.h>

#include <memory>

#include "host/com/ComVbe.h"

namespace brindle::dll {

// Holds a reference to `application` for as long as the result lives; text crosses in the
// system's ANSI code page, as the IDE converts it. Raises VbError 438 for an object that is no
// VBE (Office's Application, say), before the add-in touches it.
std::unique_ptr<host::com::ComVbe> WrapVbe(IDispatch* application);

}  // namespace brindle::dll
