#include "dll/WrapVbe.h"

#include "model/VbError.h"

namespace brindle::dll {

// Until the object model over IDispatch is in the build, no IDE can be wrapped; the connection
// then fails and tells the IDE so.
std::unique_ptr<VBE> WrapVbe(IDispatch* /*application*/) {
    throw VbError(429, "ActiveX component can't create object", "VBBrindle.WrapVbe");
}

}  // namespace brindle::dll
