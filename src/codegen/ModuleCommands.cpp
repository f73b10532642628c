#include "codegen/ModuleCommands.h"
namespace brindle {}
