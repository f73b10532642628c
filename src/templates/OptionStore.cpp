#include "templates/OptionStore.h"
namespace brindle {}
