#include "analysis/LineHelpers.h"
namespace brindle {}
