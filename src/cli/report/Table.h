#pragma once
// Rows of text in aligned columns, for a person to read and for a script to split at spaces.

#include <ostream>
#include <string>
#include <vector>

namespace brindle::cli {

// Every column but the last is padded to its widest cell, columns two spaces apart.
void PrintColumns(const std::vector<std::vector<std::string>>& rows, std::ostream& out);

}  // namespace brindle::cli
