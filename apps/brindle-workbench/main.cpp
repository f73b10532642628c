#include "workbench/Main.h"

int main(int argc, char** argv) {
    return brindle::workbench::Main(argc, argv);
}
