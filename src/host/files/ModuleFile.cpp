#include "host/files/ModuleFile.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <system_error>

#include "host/files/FileSystem.h"
#include "host/files/LoadError.h"
#include "host/vb6/CodePage.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace brindle::host {

namespace {

bool StartsWithWord(std::string_view text, std::string_view word) {
    if (!EqualsNoCase(text.substr(0, word.size()), word)) {
        return false;
    }
    if (text.size() == word.size()) {
        return true;
    }
    char next = text[word.size()];
    return !(IsAsciiLetterOrDigit(next) || next == '_' || next == '.');
}

std::string_view WithoutBom(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF" ? text.substr(3) : text;
}

// "Attribute Name.VB_..." at a line's start: a member attribute, hidden in the code pane.
bool IsMemberAttribute(std::string_view line) {
    if (!StartsWithWord(line, "Attribute")) {
        return false;
    }
    std::string_view rest = TrimLeadingBlanks(line.substr(9));
    std::size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string_view::npos) {
        return false;
    }
    auto isName = [](char c) {
        return IsAsciiLetterOrDigit(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
    };
    std::string_view member = rest.substr(dot + 1);
    return std::all_of(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(dot), isName) &&
           member.size() >= 3 && LowerAscii(member[0]) == 'v' && LowerAscii(member[1]) == 'b' &&
           member[2] == '_';
}

// Whether `text` starts with `word` and what follows is not "=" (a property of that name).
bool IsBlockWord(std::string_view text, std::string_view word) {
    return StartsWithWord(text, word) &&
           TrimLeadingBlanks(text.substr(word.size())).substr(0, 1) != "=";
}

std::string_view LineText(std::string_view line) {
    return line;
}

// A line of the file's bytes, not yet copied.
struct LineView {
    std::string_view text;
    LineBreak lineBreak = LineBreak::None;
};
std::string_view LineText(const LineView& line) {
    return line.text;
}

// The lines of the header, which the code pane does not show: VERSION, BEGIN ... END (any
// nesting of Begin/End and BeginProperty/EndProperty), Object=, and the module's attributes.
template <class Line>
class HeaderReader {
public:
    explicit HeaderReader(const std::vector<Line>& lines) : lines_(lines) {}

    // The number of header lines at the front.
    std::size_t Length() {
        std::size_t i = 0;
        while (i < lines_.size()) {
            std::size_t next = HeaderItemEnd(i);
            if (next == i) {
                break;
            }
            i = next;
        }
        return i;
    }

    bool HasName() const { return !name_.empty(); }
    const std::string& Name() const { return name_; }

private:
    std::string_view Text(std::size_t i) const {
        std::string_view text = TrimLeadingBlanks(LineText(lines_[i]));
        return i == 0 ? WithoutBom(text) : text;
    }

    // One past the header item that begins at line `i`, or `i` when none does. Blank lines
    // belong to the header only when another header item follows them.
    std::size_t HeaderItemEnd(std::size_t i) {
        std::string_view text = Text(i);
        if (text.empty()) {
            std::size_t next = i;
            while (next < lines_.size() && TrimTrailingBlanks(Text(next)).empty()) {
                ++next;
            }
            return next < lines_.size() && HeaderItemEnd(next) != next ? next : i;
        }
        if (StartsWithWord(text, "VERSION") ||
            (StartsWithWord(text, "Object") &&
             TrimLeadingBlanks(text.substr(6)).substr(0, 1) == "=")) {
            return i + 1;
        }
        if (StartsWithWord(text, "Attribute") && !IsMemberAttribute(text)) {
            ReadName(TrimLeadingBlanks(text.substr(9)));
            return i + 1;
        }
        if (IsBlockWord(text, "Begin")) {
            return BlockEnd(i);
        }
        return i;
    }

    // One past the End that closes the block opened at line `i`; the file's end when none does.
    std::size_t BlockEnd(std::size_t i) const {
        int depth = 0;
        for (; i < lines_.size(); ++i) {
            std::string_view text = TrimTrailingBlanks(Text(i));
            if (IsBlockWord(text, "Begin") || IsBlockWord(text, "BeginProperty")) {
                ++depth;
            } else if (IsBlockWord(text, "End") || IsBlockWord(text, "EndProperty")) {
                if (--depth == 0) {
                    return i + 1;
                }
            }
        }
        return i;
    }

    void ReadName(std::string_view attribute) {
        if (!StartsWithWord(attribute, "VB_Name")) {
            return;
        }
        std::string_view value = TrimLeadingBlanks(attribute.substr(7));
        if (value.empty() || value.front() != '=') {
            return;
        }
        value = TrimTrailingBlanks(TrimLeadingBlanks(value.substr(1)));
        if (value.size() >= 2 && value.front() == '"') {
            std::size_t close = value.find('"', 1);
            value = value.substr(1, (close == std::string_view::npos ? value.size() : close) - 1);
        }
        name_ = std::string(value);
    }

    const std::vector<Line>& lines_;
    std::string name_;
};

LineBreak DominantBreak(const std::vector<LineView>& lines) {
    std::array<std::size_t, 4> counts{};
    for (const LineView& line : lines) {
        ++counts[static_cast<std::size_t>(line.lineBreak)];
    }
    LineBreak best = LineBreak::CrLf;
    for (LineBreak candidate : {LineBreak::Lf, LineBreak::Cr}) {
        if (counts[static_cast<std::size_t>(candidate)] > counts[static_cast<std::size_t>(best)]) {
            best = candidate;
        }
    }
    return best;
}

bool IsUtf8(std::string_view bytes) {
    std::size_t i = 0;
    bool high = false;
    while (i < bytes.size()) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        high = true;
        std::size_t length = c >= 0xF0 && c <= 0xF4   ? 4
                             : c >= 0xE0 && c <= 0xEF ? 3
                             : c >= 0xC2 && c <= 0xDF ? 2
                                                      : 0;
        if (length == 0 || i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return high;
}

int DetectCodePage(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF" || IsUtf8(bytes)) {
        return kUtf8CodePage;
    }
    return 1252;
}

std::optional<vbext_ComponentType> TypeOfHeader(const std::vector<SourceLine>& header) {
    for (const SourceLine& line : header) {
        std::string_view text = TrimLeadingBlanks(WithoutBom(line.text));
        if (StartsWithWord(text, "VERSION") && text.find("CLASS") != std::string_view::npos) {
            return vbext_ct_ClassModule;
        }
        if (!IsBlockWord(text, "Begin")) {
            continue;
        }
        std::string_view kind = TrimLeadingBlanks(text.substr(5));
        static constexpr std::pair<std::string_view, vbext_ComponentType> kDesigners[] = {
            {"VB.Form", vbext_ct_VBForm},
            {"VB.MDIForm", vbext_ct_VBMDIForm},
            {"VB.UserControl", vbext_ct_UserControl},
            {"VB.PropertyPage", vbext_ct_PropPage},
            {"VB.UserDocument", vbext_ct_DocObject},
            {"{", vbext_ct_ActiveXDesigner}};
        for (const auto& [prefix, type] : kDesigners) {
            if (kind.substr(0, prefix.size()) == prefix &&
                (prefix == "{" || StartsWithWord(kind, prefix))) {
                return type;
            }
        }
    }
    return std::nullopt;
}

vbext_ComponentType TypeOf(const fs::path& file, const std::vector<SourceLine>& header) {
    std::optional<vbext_ComponentType> fromHeader = TypeOfHeader(header);
    std::optional<vbext_ComponentType> fromName = ModuleTypeOfExtension(file);
    if (fromName == vbext_ct_VBForm && fromHeader == vbext_ct_VBMDIForm) {
        return vbext_ct_VBMDIForm;
    }
    return fromName.value_or(fromHeader.value_or(vbext_ct_StdModule));
}

// The code lines after the header, each member attribute line attached to the line above. The
// code lines borrow their text from the file's bytes.
std::vector<CodeLine> CodeLinesAfter(const std::vector<LineView>& lines, std::size_t headerEnd,
                                     std::vector<SourceLine>& header) {
    std::vector<CodeLine> code;
    code.reserve(lines.size() - headerEnd);
    for (std::size_t i = headerEnd; i < lines.size(); ++i) {
        const LineView& line = lines[i];
        if (IsMemberAttribute(line.text)) {
            if (code.empty()) {
                header.push_back({std::string(line.text), line.lineBreak});
                continue;
            }
            auto& attributes = code.back().attributes;
            if (!attributes) {
                attributes = std::make_unique<std::vector<SourceLine>>();
            }
            attributes->push_back({std::string(line.text), line.lineBreak});
            continue;
        }
        code.push_back(
            {LineText::Borrowing(line.text), line.lineBreak, nullptr, ByteSet(line.text)});
    }
    return code;
}

// Hands the lines to `sink`, each followed by its break; a line without one gets the dominant
// break, and the very last line gets a break only when the file ended with one.
template <class Sink>
class Writer {
public:
    Writer(const FileLayout& layout, Sink& sink) : layout_(layout), sink_(sink) {}

    void Line(std::string_view text, LineBreak lineBreak) {
        Flush(false);
        pending_ = text;
        pendingBreak_ = lineBreak;
        hasPending_ = true;
    }

    void Finish() { Flush(true); }

private:
    void Flush(bool last) {
        if (!hasPending_) {
            return;
        }
        sink_(pending_);
        if (!last || layout_.endsWithBreak) {
            sink_(BreakBytes(pendingBreak_ == LineBreak::None ? layout_.dominantBreak
                                                              : pendingBreak_));
        }
        hasPending_ = false;
    }

    const FileLayout& layout_;
    Sink& sink_;
    std::string_view pending_;
    LineBreak pendingBreak_ = LineBreak::None;
    bool hasPending_ = false;
};

// A header for a component made in memory, so that its saved file loads again.
std::vector<std::string> MinimalHeader(const std::string& name, vbext_ComponentType type) {
    std::vector<std::string> header;
    if (type == vbext_ct_ClassModule) {
        header = {"VERSION 1.0 CLASS",
                  "BEGIN",
                  "  MultiUse = -1  'True",
                  "  Persistable = 0  'NotPersistable",
                  "  DataBindingBehavior = 0  'vbNone",
                  "  DataSourceBehavior  = 0  'vbNone",
                  "  MTSTransactionMode  = 0  'NotAnMTSObject",
                  "END"};
    }
    header.push_back("Attribute VB_Name = \"" + name + "\"");
    if (type == vbext_ct_ClassModule) {
        header.insert(header.end(),
                      {"Attribute VB_GlobalNameSpace = False", "Attribute VB_Creatable = True",
                       "Attribute VB_PredeclaredId = False", "Attribute VB_Exposed = False"});
    }
    return header;
}

}  // namespace

std::optional<vbext_ComponentType> ModuleTypeOfExtension(const fs::path& file) {
    const std::string ext = LowerAscii(TextOf(file.extension()));
    static constexpr std::pair<std::string_view, vbext_ComponentType> kTypes[] = {
        {".bas", vbext_ct_StdModule},      {".cls", vbext_ct_ClassModule},
        {".frm", vbext_ct_VBForm},         {".ctl", vbext_ct_UserControl},
        {".pag", vbext_ct_PropPage},       {".dob", vbext_ct_DocObject},
        {".dsr", vbext_ct_ActiveXDesigner}};
    for (const auto& [extension, type] : kTypes) {
        if (ext == extension) {
            return type;
        }
    }
    return std::nullopt;
}

namespace {

void CheckNotBinary(std::string_view bytes, const fs::path& file) {
    if (bytes.find('\0') != std::string_view::npos) {
        throw ModuleFileError(ModuleFileError::Reason::NotAModule, file,
                              "not a VB6 module: binary content");
    }
}

// The number of header lines and the module's name; raises NotAModule for a header without
// Attribute VB_Name.
template <class Line>
std::pair<std::size_t, std::string> ReadHeader(const std::vector<Line>& lines,
                                               const fs::path& file) {
    HeaderReader reader(lines);
    std::size_t headerEnd = reader.Length();
    if (!reader.HasName()) {
        throw ModuleFileError(ModuleFileError::Reason::NotAModule, file,
                              "not a VB6 module: no Attribute VB_Name in its header");
    }
    return {headerEnd, reader.Name()};
}

}  // namespace

std::string CheckModule(std::string_view bytes, const fs::path& file) {
    CheckNotBinary(bytes, file);
    // The header is read from the lines at the front when they hold all of it: it ends before
    // their last line, and a line that is no header item follows it. A header that may run on
    // (a designer block not closed among them, blank lines to their end) is read from all.
    constexpr std::size_t kFront = 16 << 10;
    const std::size_t cut = bytes.size() <= kFront ? 0 : bytes.find_last_of("\r\n", kFront);
    if (cut != 0 && cut != std::string_view::npos) {
        const auto front = LineTexts(bytes.substr(0, cut));
        HeaderReader reader(front);
        const std::size_t length = reader.Length();
        const bool ended =
            std::any_of(front.begin() + static_cast<std::ptrdiff_t>(length), front.end(),
                        [](std::string_view line) {
                            return !TrimTrailingBlanks(TrimLeadingBlanks(line)).empty();
                        });
        if (length < front.size() && ended) {
            if (!reader.HasName()) {
                throw ModuleFileError(ModuleFileError::Reason::NotAModule, file,
                                      "not a VB6 module: no Attribute VB_Name in its header");
            }
            return reader.Name();
        }
    }
    return ReadHeader(LineTexts(bytes), file).second;
}

namespace {

std::unique_ptr<MemoryComponent> Parse(std::shared_ptr<const std::string> contents,
                                       const fs::path& file, int codePage,
                                       std::optional<vbext_ComponentType> type) {
    const std::string_view bytes = *contents;
    CheckNotBinary(bytes, file);
    std::vector<LineView> lines;
    lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    ForEachLine(bytes, [&lines](std::string_view text, LineBreak lineBreak) {
        lines.push_back({text, lineBreak});
    });
    auto [headerEnd, name] = ReadHeader(lines, file);
    FileLayout layout;
    layout.dominantBreak = DominantBreak(lines);
    layout.endsWithBreak = !bytes.empty() && (bytes.back() == '\r' || bytes.back() == '\n');
    layout.header.reserve(headerEnd);
    for (std::size_t i = 0; i < headerEnd; ++i) {
        layout.header.push_back({std::string(lines[i].text), lines[i].lineBreak});
    }
    const vbext_ComponentType typeOf = type.value_or(TypeOf(file, layout.header));
    std::vector<CodeLine> code = CodeLinesAfter(lines, headerEnd, layout.header);
    layout.bytes = std::move(contents);
    layout.numberedAsCodePane = type.has_value();
    auto component =
        std::make_unique<MemoryComponent>(name, typeOf, std::move(code), std::move(layout));
    component->SetCodePage(codePage == kDetectCodePage ? DetectCodePage(bytes) : codePage);
    return component;
}

}  // namespace

std::unique_ptr<MemoryComponent> ParseModule(std::string_view bytes, const fs::path& file,
                                             int codePage) {
    return Parse(std::make_shared<const std::string>(bytes), file, codePage, std::nullopt);
}

std::unique_ptr<MemoryComponent> ParseModule(std::shared_ptr<const std::string> contents,
                                             const fs::path& file, int codePage) {
    return Parse(std::move(contents), file, codePage, std::nullopt);
}

std::unique_ptr<MemoryComponent> ParseDocumentModule(std::shared_ptr<const std::string> source,
                                                     const fs::path& file, int codePage,
                                                     vbext_ComponentType type) {
    return Parse(std::move(source), file, codePage, type);
}

std::string ReadModuleFile(const fs::path& file) {
    try {
        auto found = ReadRegularFile(file);
        switch (found.kind) {
            case RegularFile::Kind::Missing:
                throw ModuleFileError(ModuleFileError::Reason::NotFound, file, "no such file");
            case RegularFile::Kind::Folder:
                throw ModuleFileError(ModuleFileError::Reason::Unreadable, file, "is a folder");
            case RegularFile::Kind::Regular:
                return std::move(found.bytes);
            case RegularFile::Kind::Other:
                break;
        }
    } catch (const FileError&) {
    }
    throw ModuleFileError(ModuleFileError::Reason::Unreadable, file, "cannot be read");
}

std::unique_ptr<MemoryComponent> LoadModuleFile(const fs::path& file, int codePage) {
    auto component =
        ParseModule(std::make_shared<const std::string>(ReadModuleFile(file)), file, codePage);
    component->SetFilePath(file);
    return component;
}

FileLines::FileLines(const MemoryComponent& component) {
    const auto& layout = component.Layout();
    const auto& header = layout.header;
    auto line = static_cast<std::int32_t>(
        layout.numberedAsCodePane
            ? 0
            : (header.empty() ? MinimalHeader(component.Name(), component.Type()).size()
                              : header.size()));
    if (const MemoryCodeModule* code = component.Code()) {
        fileLines_.reserve(code->StoredLines().size());
        for (const CodeLine& stored : code->StoredLines()) {
            fileLines_.push_back(++line);
            if (stored.attributes && !layout.numberedAsCodePane) {
                line += static_cast<std::int32_t>(stored.attributes->size());
            }
        }
    }
    first_ = fileLines_.empty() ? line + 1 : fileLines_.front();
}

std::int32_t FileLines::FileLineOf(std::int32_t line) const {
    if (line < 1) {
        return first_ - 1;
    }
    const auto count = static_cast<std::int32_t>(fileLines_.size());
    if (line > count) {
        return (count == 0 ? first_ - 1 : fileLines_.back()) + (line - count);
    }
    return fileLines_[static_cast<std::size_t>(line - 1)];
}

std::optional<std::int32_t> FileLines::CodeLineOf(std::int32_t line) const {
    const auto found = std::lower_bound(fileLines_.begin(), fileLines_.end(), line);
    if (found == fileLines_.end() || *found != line) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(found - fileLines_.begin()) + 1;
}

// --- MemoryComponent's file ---

namespace {

// The component's file, piece by piece: header, then every line of the code pane followed by
// its attribute lines.
template <class Sink>
void WriteComponent(const MemoryComponent& component, Sink& sink) {
    const FileLayout& layout = component.Layout();
    Writer writer(layout, sink);
    std::vector<std::string> synthesized;
    if (layout.header.empty()) {
        synthesized = MinimalHeader(component.Name(), component.Type());
        for (const std::string& line : synthesized) {
            writer.Line(line, LineBreak::None);
        }
    }
    for (const SourceLine& line : layout.header) {
        writer.Line(line.text, line.lineBreak);
    }
    if (const MemoryCodeModule* code = component.Code()) {
        for (const CodeLine& line : code->StoredLines()) {
            writer.Line(line.text, line.lineBreak);
            if (line.attributes) {
                for (const SourceLine& attribute : *line.attributes) {
                    writer.Line(attribute.text, attribute.lineBreak);
                }
            }
        }
    }
    writer.Finish();
}

}  // namespace

bool SerializesTo(const MemoryComponent& component, std::string_view bytes) {
    bool same = true;
    auto compare = [&](std::string_view piece) {
        same = same && bytes.substr(0, piece.size()) == piece;
        bytes.remove_prefix(same ? piece.size() : 0);
    };
    WriteComponent(component, compare);
    return same && bytes.empty();
}

std::string MemoryComponent::Serialize() const {
    // Room for the file as read and half as much again, which what a command adds seldom
    // outgrows: one pass over the lines, where measuring them first would take two.
    std::string bytes;
    if (layout_.bytes) {
        bytes.reserve(layout_.bytes->size() + layout_.bytes->size() / 2);
    }
    auto append = [&bytes](std::string_view piece) { bytes += piece; };
    WriteComponent(*this, append);
    return bytes;
}

bool MemoryComponent::Save() {
    if (filePath_.empty()) {
        throw ModuleFileError(ModuleFileError::Reason::Unwritable, name_,
                              "the component has no file");
    }
    if (!Modified()) {
        return false;
    }
    return SaveAs(filePath_);
}

bool MemoryComponent::SaveAs(const fs::path& file) {
    const bool write = WriteFileWhenChanged(file, Serialize());
    filePath_ = file;
    savedVersion_ = code_ ? code_->Version() : 0;
    return write;
}

ExactModule LoadExactly(const fs::path& path, int codePage) {
    auto original = ReadModuleFile(path);
    auto component = ParseModule(std::make_shared<const std::string>(original), path, codePage);
    component->SetFilePath(path);
    if (!SerializesTo(*component, original)) {
        throw LoadError(Label(path, codePage) +
                        ": Brindle cannot keep this file's bytes exactly; it is left alone");
    }
    return {std::move(component), std::move(original)};
}

namespace {

// Writes the bytes through `write` unless the file no longer holds `original` or is read-only.
template <class Write>
SaveResult WriteUnlessChanged(const fs::path& path, std::string_view original, Write write) {
    try {
        const auto now = ReadRegularFile(path);
        if (now.kind != RegularFile::Kind::Regular || now.bytes != original) {
            return {false, "changed on disk while Brindle worked; not written"};
        }
        if (!now.ownerWrites) {
            return {false, "the file is read-only; not written"};
        }
        write();
        return {true, {}};
    } catch (const ModuleFileError& e) {
        return {false, "not written: " + e.Detail()};
    } catch (const std::exception& e) {
        return {false, std::string("not written: ") + e.what()};
    }
}

}  // namespace

SaveResult WriteModule(const fs::path& path, std::string_view original, std::string_view bytes,
                       ReplacedFolders* batch) {
    return WriteUnlessChanged(path, original, [&] { WriteFileAtomically(path, bytes, batch); });
}

}  // namespace brindle::host
