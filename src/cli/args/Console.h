#pragma once
// The console the command line runs in; one implementation per platform.

#include <string>
#include <vector>

namespace brindle::cli {

// Sets the console up for messages in UTF-8 and output byte for byte, and gives the arguments
// in UTF-8: on Windows those of the wide command line, whatever the ANSI code page.
std::vector<std::string> OpenConsole(int argc, const char* const* argv);

// Whether standard input and standard error are both a terminal.
bool IsTerminal();

// The width of the terminal that standard output shows on, in columns; 0 when it is none.
int TerminalWidth();

// Standard input as bytes, for a protocol that counts them: Windows' text mode would drop the
// CR of each CR LF.
void BinaryStandardInput();

}  // namespace brindle::cli
