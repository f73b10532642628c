#pragma once
// Little-endian integers in bytes, read only after their bounds were checked by the caller,
// and appended to a buffer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brindle::host::le {

inline std::uint8_t Byte(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]);
}

inline std::uint16_t U16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(Byte(bytes, at) | Byte(bytes, at + 1) << 8);
}

inline std::uint32_t U32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(U16(bytes, at)) |
           static_cast<std::uint32_t>(U16(bytes, at + 2)) << 16;
}

inline std::uint64_t U64(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint64_t>(U32(bytes, at)) |
           static_cast<std::uint64_t>(U32(bytes, at + 4)) << 32;
}

inline void PutU16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

inline void PutU32(std::string& out, std::uint32_t value) {
    PutU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    PutU16(out, static_cast<std::uint16_t>(value >> 16));
}

// Over the bytes at `at`, which the caller has made sure are there.
inline void PatchU16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

inline void PatchU32(std::string& bytes, std::size_t at, std::uint32_t value) {
    PatchU16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
    PatchU16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

inline void PutU64(std::string& out, std::uint64_t value) {
    PutU32(out, static_cast<std::uint32_t>(value & 0xFFFFFFFF));
    PutU32(out, static_cast<std::uint32_t>(value >> 32));
}

}  // namespace brindle::host::le
