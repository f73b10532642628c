#include "host/files/TeamText.h"

#include <algorithm>
#include <system_error>

#include "host/vb6/CodePage.h"
#include "util/Unicode.h"

namespace brindle::host {
namespace {

// Whether the byte at each odd (or even) offset is NUL in at least half of the pairs, and none
// at the other offsets is: ASCII in UTF-16 without a byte order mark.
bool LooksLikeUtf16(std::string_view bytes, std::size_t nulAt) {
    if (bytes.size() < 2 || bytes.size() % 2 != 0) {
        return false;
    }
    std::size_t nuls = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (bytes[i + 1 - nulAt] == '\0') {
            return false;
        }
        nuls += bytes[i + nulAt] == '\0' ? 1U : 0U;
    }
    return nuls * 2 >= bytes.size() / 2;
}

bool IsText(std::string_view utf8) {
    return std::none_of(utf8.begin(), utf8.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && (byte < '\t' || byte > '\r')) || byte == 0x7F;
    });
}

std::optional<std::string> DecodedBytes(std::string_view bytes, int codePage) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        return IsValidUtf8(bytes) ? std::optional<std::string>(bytes) : std::nullopt;
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return ToUtf8(bytes.substr(2), kUtf16LeCodePage);
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return ToUtf8(bytes.substr(2), kUtf16BeCodePage);
    }
    if (LooksLikeUtf16(bytes, 1)) {
        return ToUtf8(bytes, kUtf16LeCodePage);
    }
    if (LooksLikeUtf16(bytes, 0)) {
        return ToUtf8(bytes, kUtf16BeCodePage);
    }
    if (IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    if (bytes.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return ToUtf8(bytes, codePage);
}

}  // namespace

std::optional<std::string> DecodeTeamText(std::string_view bytes, int codePage) {
    auto text = DecodedBytes(bytes, codePage);
    if (!text || !IsText(*text)) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::filesystem::path> NearestFile(const std::filesystem::path& folder,
                                                 std::string_view name) {
    std::error_code error;
    for (auto at = std::filesystem::absolute(folder, error).lexically_normal();;
         at = at.parent_path()) {
        const auto file = at / name;
        if (std::filesystem::is_regular_file(file, error)) {
            return file;
        }
        if (at == at.parent_path() || at.empty()) {
            return std::nullopt;
        }
    }
}

}  // namespace brindle::host
