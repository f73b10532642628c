#include "codegen/Insertion.h"
namespace brindle {}
