#include "templates/Expansion.h"
namespace brindle {}
