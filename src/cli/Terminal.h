#pragma once
// What the command line asks of the terminal it runs in. Everything that depends on the
// platform's console stays here.

namespace brindle::cli {

// Whether a question can be put to a user: standard input and standard error are a terminal.
bool CanAsk();

// The width to wrap help to: COLUMNS when it holds a number, else the width of the terminal on
// standard output, else 80.
int HelpWidth();

}  // namespace brindle::cli
