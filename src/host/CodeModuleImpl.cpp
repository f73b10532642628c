// Implementation pending.
#include "host/model/Diagnostics.h"
#include "host/model/Extensibility.h"
#include "host/model/Office.h"
#include "host/model/Runtime.h"
#include "host/model/VbError.h"
#include "host/model/Vbide.h"
#include "analysis/LineHelpers.h"
namespace brindle {}
