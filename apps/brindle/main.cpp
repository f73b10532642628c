#include "cli/Main.h"

int main(int argc, char** argv) {
    return brindle::cli::ConsoleMain(argc, argv);
}
