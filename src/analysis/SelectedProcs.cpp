#include "analysis/SelectedProcs.h"
namespace brindle {}
