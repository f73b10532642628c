#include "analysis/ProcDecl.h"
namespace brindle {}
