#include "host/files/DocumentFile.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "host/files/LoadError.h"
#include "host/files/ModuleFile.h"
#include "host/office/OfficeError.h"
#include "host/vb6/CodePage.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

constexpr std::array<std::string_view, 8> kExtensions = {".xlsm", ".xlam", ".xls", ".docm",
                                                         ".dotm", ".doc",  ".dot", ".pptm"};

// "Book.xlsm: dir, byte 12: ..." naming the stream where it is not the document itself.
std::string Failure(const std::string& label, const OfficeFileError& e) {
    return label + ": " + e.MessageIn(label);
}

// The module's component type as the VBA editor gives it.
vbext_ComponentType TypeOf(VbaModuleKind kind) {
    switch (kind) {
        case VbaModuleKind::Standard:
            return vbext_ct_StdModule;
        case VbaModuleKind::Class:
            return vbext_ct_ClassModule;
        case VbaModuleKind::Document:
            return vbext_ct_Document;
        case VbaModuleKind::Form:
            return vbext_ct_MSForm;
    }
    return vbext_ct_StdModule;
}

// Office's owner file ("~$" and the name, Word's with its first one or two characters left
// out) or LibreOffice's lock file, beside the document while it is open.
bool OpenElsewhere(const fs::path& path) {
    const std::string name = TextOf(path.filename());
    std::vector<std::string> locks = {".~lock." + name + "#"};
    for (std::size_t cut = 0; cut <= 2 && cut < name.size(); ++cut) {
        locks.push_back("~$" + name.substr(cut));
    }
    std::error_code error;
    return std::any_of(locks.begin(), locks.end(), [&](const std::string& lock) {
        return fs::exists(path.parent_path() / PathOf(lock), error);
    });
}

}  // namespace

bool IsOfficeDocument(const fs::path& file) {
    // "~$Book.xlsm" is Office's owner file of an open document, no document.
    if (TextOf(file.filename()).starts_with("~$")) {
        return false;
    }
    const auto extension = LowerAscii(TextOf(file.extension()));
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

bool HoldsVbaProject(const fs::path& file) {
    if (!IsOfficeDocument(file)) {
        return false;
    }
    try {
        return MayHoldVbaProject(ReadFileBytes(file));
    } catch (const FileError&) {
        return true;  // opening it tells why it cannot be read
    }
}

bool IsDocumentModulePath(const fs::path& path) {
    std::error_code error;
    return IsOfficeDocument(path.parent_path()) && !fs::exists(path, error) &&
           fs::is_regular_file(path.parent_path(), error);
}

std::shared_ptr<DocumentFile> DocumentFile::Open(const fs::path& path, int labelCodePage) {
    std::shared_ptr<DocumentFile> document(new DocumentFile);
    document->path_ = fs::absolute(path);
    document->label_ = host::Label(path, labelCodePage);
    try {
        document->bytes_ = ReadFileBytes(path);
        document->project_ = ReadDocumentProject(document->bytes_, document->label_);
    } catch (const OfficeFileError& e) {
        throw LoadError(Failure(document->label_, e));
    } catch (const FileError& e) {
        throw LoadError(document->label_ + ": " + e.what());
    }
    if (!IsModuleCodePage(document->CodePage())) {
        throw LoadError(document->label_ + ": its VBA project is in code page " +
                        std::to_string(document->CodePage()) + ", which Brindle cannot convert");
    }
    return document;
}

std::string DocumentFile::ProjectName() const {
    return ToUtf8(project_.name, CodePage());
}

std::string DocumentFile::ModuleName(std::size_t index) const {
    return ToUtf8(project_.modules[index].name, CodePage());
}

std::optional<std::size_t> DocumentFile::ModuleNamed(std::string_view name) const {
    for (std::size_t i = 0; i < ModuleCount(); ++i) {
        if (EqualsIgnoringCase(ModuleName(i), name)) {
            return i;
        }
    }
    return std::nullopt;
}

fs::path DocumentFile::ModulePath(std::size_t index) const {
    return path_ / PathOf(ModuleName(index));
}

ExactModule DocumentFile::LoadModule(std::size_t index) const {
    const DocumentModule& module = project_.modules[index];
    const fs::path file = ModulePath(index);
    auto source = std::make_shared<const std::string>(module.source);
    auto component = ParseDocumentModule(source, file, CodePage(), TypeOf(module.kind));
    component->SetFilePath(file);
    if (!SerializesTo(*component, *source)) {
        throw LoadError(ModuleLabel(index) +
                        ": Brindle cannot keep this module's text exactly; it is left alone");
    }
    return {std::move(component), module.source};
}

std::optional<std::string> DocumentFile::WriteRefusal() const {
    if (auto refusal = host::WriteRefusal(project_)) {
        return refusal;
    }
    if (OpenElsewhere(path_)) {
        return "it is open in Office or LibreOffice (its lock file is beside it); close it first";
    }
    return std::nullopt;
}

void DocumentFile::Change(std::size_t index, std::string source) {
    const std::scoped_lock lock(changing_);
    changes_.push_back({index, std::move(source)});
}

SaveResult DocumentFile::Save(ReplacedFolders* batch) {
    const std::scoped_lock lock(changing_);
    if (changes_.empty()) {
        return {};
    }
    const auto changes = std::exchange(changes_, {});
    if (auto refusal = WriteRefusal()) {
        return {false, *refusal + "; not written"};
    }
    std::string written;
    try {
        written = WriteDocumentProject(bytes_, label_, changes);
    } catch (const OfficeFileError& e) {
        return {false, "not written: " + Failure(label_, e)};
    }
    SaveResult result = WriteModule(path_, bytes_, written, batch);
    if (result.written) {
        bytes_ = std::move(written);
    }
    return result;
}

}  // namespace brindle::host
