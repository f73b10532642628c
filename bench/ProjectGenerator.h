#pragma once
// Realistic VB6 projects of a given size, the same for the same seed: standard modules, classes,
// forms and user controls of mixed sizes up to 30,000 lines, in Windows-1252 with CR LF line
// ends, as a large code base holds them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace brindle::bench {

// splitmix64: small, fast, and the same sequence on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // In [low, high].
    int Between(int low, int high);
    // True with probability percent / 100.
    bool Chance(int percent) { return Between(1, 100) <= percent; }
    template <class T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[static_cast<std::size_t>(Between(0, static_cast<int>(N) - 1))];
    }

private:
    std::uint64_t state_;
};

enum class ModuleKind { Standard, Class, Form, UserControl };

struct GeneratedFile {
    std::string path;   // relative to the project's folder, with "/"
    std::string bytes;  // as the file holds them
};

// One module of about `lines` physical lines, its header included.
std::string GenerateModule(ModuleKind kind, const std::string& name, int lines, Random& random);

struct ProjectSummary {
    int modules = 0;
    std::int64_t lines = 0;  // physical lines of the module files
    std::int64_t bytes = 0;  // of every file written
    int largestModule = 0;   // in lines
};

// The files of a project of about `lines` lines: "Project.vbp" and its modules in subfolders.
std::vector<GeneratedFile> GenerateProject(std::int64_t lines, std::uint64_t seed);

// Writes the files below `folder`, which is created when missing.
ProjectSummary WriteProject(const std::filesystem::path& folder,
                            const std::vector<GeneratedFile>& files);

}  // namespace brindle::bench
