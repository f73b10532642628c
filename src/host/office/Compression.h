#pragma once
// The compression of a VBA project's streams (the "dir" stream, each module's source): a
// container of a signature byte (1) and chunks of at most 4096 bytes of the data each, a chunk
// either raw or a run of flag bytes, each telling which of the eight tokens after it are literal
// bytes and which are two-byte copies of bytes earlier in the same chunk.

#include <string>
#include <string_view>

namespace brindle::host {

// The data of a compressed container. Raises OfficeFileError, naming `stream` and the byte, for
// a container that does not read as the format says (a wrong signature, a chunk cut off or
// running past the end, a copy reaching before its chunk).
std::string Decompress(std::string_view container, std::string_view stream = "compressed data");

// `data` as a compressed container: every chunk compressed, raw where compression does not pay.
std::string Compress(std::string_view data);

}  // namespace brindle::host
