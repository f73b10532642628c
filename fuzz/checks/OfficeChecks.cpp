// The formats of Office documents: any bytes as a document whose project is written again, a zip
// archive, a compound file, a compressed container and a dir stream.

#include <optional>
#include <string>
#include <string_view>

#include "checks/Properties.h"
#include "host/office/CompoundFile.h"
#include "host/office/Compression.h"
#include "host/office/OfficeError.h"
#include "host/office/VbaDir.h"
#include "host/office/VbaDocument.h"
#include "host/office/ZipPackage.h"

namespace brindle::fuzz {
namespace {

// Refused in the documented way, or read: nothing else escapes.
template <class Read>
void ReadOrRefuse(Read read) {
    try {
        read();
    } catch (const host::OfficeFileError&) {
    }
}

// What Brindle wrote itself must read: a refusal of it is a broken property.
template <class Read>
void MustRead(Read read, const std::string& what) {
    try {
        read();
    } catch (const host::OfficeFileError& e) {
        throw PropertyBroken(what + ": " + e.Message());
    }
}

void ZipWritesBackWhatItKeeps(std::string_view bytes) {
    std::optional<host::ZipPackage> package;
    ReadOrRefuse([&] { package.emplace(std::string(bytes), "fuzz.xlsm"); });
    if (!package || package->Entries().empty()) {
        return;
    }
    for (const auto& entry : package->Entries()) {
        ReadOrRefuse([&] { package->Contents(entry); });
    }
    MustRead(
        [&] {
            const std::string written = package->With(package->Entries().front(), "new");
            const host::ZipPackage again{written, "again"};
            Expect(again.Entries().size() == package->Entries().size(), "an entry lost");
            Expect(again.Contents(again.Entries().front()) == "new", "the new part differs");
            for (std::size_t i = 1; i < again.Entries().size(); ++i) {
                const auto& before = package->Entries()[i];
                const auto& after = again.Entries()[i];
                Expect(std::string_view(written).substr(after.recordBegin,
                                                        after.recordEnd - after.recordBegin) ==
                           bytes.substr(before.recordBegin, before.recordEnd - before.recordBegin),
                       "an entry not kept byte for byte: " + before.name);
            }
        },
        "a zip archive written back");
}

void CompoundFileReadsBackWhatItWrote(std::string_view bytes) {
    std::optional<host::CompoundEntry> root;
    ReadOrRefuse([&] { root = host::ReadCompoundFile(bytes); });
    std::string written;
    if (root) {
        ReadOrRefuse([&] { written = host::WriteCompoundFile(*root); });  // two names alike
    }
    if (!written.empty()) {
        MustRead([&] { Expect(host::ReadCompoundFile(written) == *root, "read back otherwise"); },
                 "a compound file written back");
    }
}

// A project that reads and may be written takes a change to its first module, and what the
// writer hands back reads with it.
void DocumentWritesWhatItReads(std::string_view bytes) {
    std::optional<host::DocumentProject> project;
    ReadOrRefuse([&] { project = host::ReadDocumentProject(std::string(bytes), "fuzz.xlsm"); });
    if (!project || project->modules.empty() || project->isSigned || project->lockedForViewing) {
        return;
    }
    const std::string source = project->modules[0].source + "'\r\n";
    ReadOrRefuse([&] {
        const std::string written =
            host::WriteDocumentProject(std::string(bytes), "fuzz.xlsm", {{0, source}});
        Expect(host::ReadDocumentProject(written, "again").modules[0].source == source,
               "a module written otherwise");
    });
}

}  // namespace

void OfficeFormats(std::string_view bytes) {
    DocumentWritesWhatItReads(bytes);
    ZipWritesBackWhatItKeeps(bytes);
    CompoundFileReadsBackWhatItWrote(bytes);
    ReadOrRefuse([&] {
        const std::string data = host::Decompress(bytes);
        Expect(host::Decompress(host::Compress(data)) == data, "compression loses the data");
    });
    ReadOrRefuse([&] {
        Expect(host::WriteVbaDir(host::ReadVbaDir(bytes)) == bytes,
               "a dir stream given back otherwise");
    });
}

}  // namespace brindle::fuzz
