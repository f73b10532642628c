// Writes a generated VB6 project of about the given number of lines into a folder:
//   generate_project LINES FOLDER [SEED]
// The same lines and seed give the same files, byte for byte.

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "ProjectGenerator.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::cerr << "usage: generate_project LINES FOLDER [SEED]\n";
        return 2;
    }
    try {
        const std::int64_t lines = std::stoll(argv[1]);
        const std::uint64_t seed = argc == 4 ? std::stoull(argv[3]) : 1;
        const auto summary =
            brindle::bench::WriteProject(argv[2], brindle::bench::GenerateProject(lines, seed));
        std::cout << summary.modules << " modules, " << summary.lines << " lines, " << summary.bytes
                  << " bytes, the largest module " << summary.largestModule << " lines\n";
    } catch (const std::exception& e) {
        std::cerr << "generate_project: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
