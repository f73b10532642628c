// Rewrites every file below a folder the way brindle writes a module it changed: a temporary
// file beside it, flushed and renamed over it, on brindle's writer threads, each folder flushed
// once at the end. Nothing changes but the files' times. Its time is the floor of a command that
// rewrites those files so that they survive a power cut.
//   durable_rewrite FOLDER [THREADS]

#include <atomic>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "host/files/FileSystem.h"

namespace fs = std::filesystem;
using brindle::host::ReadRegularFile;
using brindle::host::ReplacedFolders;
using brindle::host::WriteFileAtomically;

namespace {

std::vector<fs::path> FilesBelow(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    return files;
}

void Rewrite(const std::vector<fs::path>& files, unsigned threads) {
    ReplacedFolders folders;
    std::atomic<std::size_t> next = 0;
    std::atomic<bool> failed = false;
    auto work = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            try {
                WriteFileAtomically(files[i], ReadRegularFile(files[i]).bytes, &folders);
            } catch (const std::exception& e) {
                std::cerr << "durable_rewrite: " << files[i].string() << ": " << e.what() << "\n";
                failed = true;
            }
        }
    };
    std::vector<std::jthread> pool;
    for (unsigned t = 0; t < threads; ++t) {
        pool.emplace_back(work);
    }
    pool.clear();
    for (const auto& [folder, problem] : folders.Sync()) {
        std::cerr << "durable_rewrite: " << folder.string() << ": " << problem << "\n";
        failed = true;
    }
    if (failed) {
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: durable_rewrite FOLDER [THREADS]\n";
        return 2;
    }
    try {
        // As many as brindle's writers.
        const unsigned threads = argc == 3 ? static_cast<unsigned>(std::stoul(argv[2])) : 4;
        Rewrite(FilesBelow(argv[1]), threads);
    } catch (const std::exception& e) {
        std::cerr << "durable_rewrite: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
