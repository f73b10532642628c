#include "host/office/Compression.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/office/LittleEndian.h"
#include "host/office/OfficeError.h"

namespace brindle::host {

namespace {

constexpr std::size_t kChunkData = 4096;
// A chunk's header and data together; its header's size field is this less 3.
constexpr std::size_t kLargestChunk = kChunkData + 2;
constexpr std::uint16_t kChunkSignature = 0x3000;
constexpr std::uint16_t kCompressedFlag = 0x8000;
constexpr std::size_t kShortestCopy = 3;

// The bits of a copy token that hold the offset, by how far into its chunk the copy lands:
// the fewer bytes behind it, the fewer offset bits and the more length bits.
unsigned OffsetBits(std::size_t intoChunk) {
    unsigned bits = 4;
    while ((std::size_t{1} << bits) < intoChunk) {
        ++bits;
    }
    return bits;
}

std::size_t LongestCopy(std::size_t intoChunk) {
    return (0xFFFFu >> OffsetBits(intoChunk)) + kShortestCopy;
}

struct Chunk {
    std::string_view container;
    std::string_view stream;
    std::size_t begin;  // the first byte after the header
    std::size_t end;
};

// One copy token at `at`, its bytes appended to `out` from where the chunk's data began.
void Copy(const Chunk& chunk, std::size_t at, std::size_t dataStart, std::string& out) {
    if (at + 2 > chunk.end) {
        RaiseBadFormat(chunk.stream, at, "copy token cut off at the end of its chunk");
    }
    std::size_t into = out.size() - dataStart;
    if (into == 0) {
        RaiseBadFormat(chunk.stream, at, "copy token before any byte of its chunk");
    }
    unsigned bits = OffsetBits(into);
    std::uint16_t token = le::U16(chunk.container, at);
    std::size_t length = (token & (0xFFFFu >> bits)) + kShortestCopy;
    std::size_t offset = (std::size_t{token} >> (16 - bits)) + 1;
    if (offset > into) {
        RaiseBadFormat(chunk.stream, at, "copy token reaches before its chunk");
    }
    std::size_t from = out.size() - offset;
    for (std::size_t i = 0; i < length; ++i) {
        out += out[from + i];
    }
}

void DecompressTokens(const Chunk& chunk, std::string& out) {
    std::size_t dataStart = out.size();
    std::size_t at = chunk.begin;
    while (at < chunk.end) {
        std::uint8_t flags = le::Byte(chunk.container, at++);
        for (int bit = 0; bit < 8 && at < chunk.end; ++bit) {
            if ((flags >> bit & 1) == 0) {
                out += chunk.container[at++];
            } else {
                Copy(chunk, at, dataStart, out);
                at += 2;
            }
        }
        if (out.size() - dataStart > kChunkData) {
            RaiseBadFormat(chunk.stream, at, "chunk holds more than 4096 bytes");
        }
    }
}

// Reads the chunk at `at` onto `out`; gives where the next begins.
std::size_t DecompressChunk(std::string_view container, std::string_view stream, std::size_t at,
                            std::string& out) {
    if (at + 2 > container.size()) {
        RaiseBadFormat(stream, at, "chunk header cut off");
    }
    std::uint16_t header = le::U16(container, at);
    if ((header & 0x7000) != kChunkSignature) {
        RaiseBadFormat(stream, at, "no chunk signature in the chunk header");
    }
    std::size_t end = at + (header & 0x0FFF) + 3;
    if (end > container.size()) {
        RaiseBadFormat(stream, at, "chunk runs past the end of the data");
    }
    Chunk chunk{container, stream, at + 2, end};
    if ((header & kCompressedFlag) != 0) {
        DecompressTokens(chunk, out);
    } else {
        out.append(container.substr(chunk.begin, end - chunk.begin));
    }
    return end;
}

// How far back the longest earlier copy of the bytes at a position lies, and its length.
struct Match {
    std::size_t offset = 0;
    std::size_t length = 0;
};

// Earlier positions of the chunk by their first three bytes, for the search of copies.
class MatchFinder {
public:
    explicit MatchFinder(std::string_view chunk) : chunk_(chunk), previous_(chunk.size(), kNone) {
        head_.fill(kNone);
    }

    Match Longest(std::size_t at) const {
        Match best;
        if (at + kShortestCopy > chunk_.size()) {
            return best;
        }
        std::size_t limit = std::min(LongestCopy(at), chunk_.size() - at);
        for (std::size_t from = head_[Hash(at)]; from != kNone; from = previous_[from]) {
            std::size_t length = 0;
            while (length < limit && chunk_[from + length] == chunk_[at + length]) {
                ++length;
            }
            if (length > best.length) {
                best = {at - from, length};
                if (length == limit) {
                    break;
                }
            }
        }
        return best.length >= kShortestCopy ? best : Match{};
    }

    // Makes a token's start known to the search: copies begin where earlier tokens began,
    // as the documents Office writes show (the format's own examples among them).
    void Add(std::size_t at) {
        if (at + kShortestCopy <= chunk_.size()) {
            std::size_t hash = Hash(at);
            previous_[at] = head_[hash];
            head_[hash] = at;
        }
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t Hash(std::size_t at) const {
        auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(chunk_[at + i]); };
        return (byte(0) << 8 ^ byte(1) << 4 ^ byte(2)) & 0xFFF;
    }

    std::string_view chunk_;
    std::vector<std::size_t> previous_;
    std::array<std::size_t, 0x1000> head_{};
};

// The chunk's data as flag bytes and tokens, without its header.
std::string Tokens(std::string_view chunk) {
    std::string out;
    MatchFinder finder(chunk);
    std::size_t at = 0;
    while (at < chunk.size()) {
        std::size_t flagsAt = out.size();
        out += '\0';
        for (int bit = 0; bit < 8 && at < chunk.size(); ++bit) {
            Match match = finder.Longest(at);
            finder.Add(at);
            if (match.length == 0) {
                out += chunk[at++];
                continue;
            }
            unsigned bits = OffsetBits(at);
            auto token = static_cast<std::uint16_t>((match.offset - 1) << (16 - bits) |
                                                    (match.length - kShortestCopy));
            le::PutU16(out, token);
            out[flagsAt] = static_cast<char>(out[flagsAt] | 1 << bit);
            at += match.length;
        }
    }
    return out;
}

void AppendChunk(std::string_view chunk, std::string& out) {
    std::string tokens = Tokens(chunk);
    if (tokens.size() + 2 <= kLargestChunk) {
        le::PutU16(out, static_cast<std::uint16_t>(kCompressedFlag | kChunkSignature |
                                                   (tokens.size() + 2 - 3)));
        out += tokens;
    } else if (chunk.size() == kChunkData) {
        le::PutU16(out, static_cast<std::uint16_t>(kChunkSignature | (kChunkData - 1)));
        out.append(chunk);
    } else {
        // A raw chunk holds 4096 bytes; fewer that do not compress go in two compressed
        // chunks, each small enough to fit as literals.
        std::size_t half = chunk.size() / 2;
        AppendChunk(chunk.substr(0, half), out);
        AppendChunk(chunk.substr(half), out);
    }
}

}  // namespace

std::string Decompress(std::string_view container, std::string_view stream) {
    if (container.empty() || container[0] != '\x01') {
        RaiseBadFormat(stream, 0, "no signature byte of compressed data");
    }
    std::string out;
    std::size_t at = 1;
    while (at < container.size()) {
        at = DecompressChunk(container, stream, at, out);
    }
    return out;
}

std::string Compress(std::string_view data) {
    std::string out(1, '\x01');
    for (std::size_t at = 0; at < data.size(); at += kChunkData) {
        AppendChunk(data.substr(at, kChunkData), out);
    }
    return out;
}

}  // namespace brindle::host
