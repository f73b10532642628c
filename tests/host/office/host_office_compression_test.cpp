// The compression of a VBA project's streams: the format's own examples byte for byte, round
// trips across the chunk size, and containers that do not read refused with where.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host/office/Compression.h"
#include "host/office/OfficeError.h"

namespace brindle::host {
namespace {

using namespace std::string_literals;

TEST(Compression, GivesTheFormatsOwnExamplesByteForByte) {
    const struct {
        std::string data;
        std::string container;
    } examples[] = {
        // Nothing repeats: literals, a flag byte before each eight.
        {"abcdefghijklmnopqrstuv.",
         "\x01\x19\xB0\x00"
         "abcdefgh"
         "\x00"
         "ijklmnop"
         "\x00"
         "qrstuv."s},
        // Copies whose offset and length split moves as the chunk fills.
        {"#aaabcdefaaaaghijaaaaaklaaamnopqaaaaaaaaaaaarstuvwxyzaaa",
         "\x01\x2F\xB0\x00\x23\x61\x61\x61\x62\x63\x64\x65\x82\x66\x00\x70\x61\x67\x68\x69\x6A"
         "\x01\x38\x08\x61\x6B\x6C\x00\x30\x6D\x6E\x6F\x70\x06\x71\x02\x70\x04\x10\x72\x73\x74"
         "\x75\x76\x10\x77\x78\x79\x7A\x00\x3C"s},
    };
    for (const auto& example : examples) {
        EXPECT_EQ(Compress(example.data), example.container) << example.data;
        EXPECT_EQ(Decompress(example.container), example.data) << example.data;
    }
}

// Bytes that never repeat three in a row within a chunk.
std::string Noise(std::size_t size) {
    std::string out;
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245 + 12345;
        out += static_cast<char>(state >> 16);
    }
    return out;
}

std::string Text(std::size_t size) {
    std::string line = "Attribute VB_Name = \"Module1\"\r\nPublic Sub Main()\r\n    x = x + 1\r\n";
    std::string out;
    while (out.size() < size) {
        out += line + std::to_string(out.size()) + "\r\n";
    }
    out.resize(size);
    return out;
}

TEST(Compression, RoundTripsAcrossTheChunkSize) {
    // Noise's last chunk of 20000 bytes is short: never raw, which would pad it to 4096.
    for (std::size_t size : {0u, 1u, 3u, 4095u, 4096u, 4097u, 8192u, 20000u}) {
        for (const std::string& data : {Text(size), Noise(size), std::string(size, 'a')}) {
            std::string container = Compress(data);
            EXPECT_EQ(Decompress(container), data) << size;
        }
    }
    EXPECT_EQ(Compress(""), "\x01");
    EXPECT_LT(Compress(Text(20000)).size(), 20000u / 2);
}

TEST(Compression, KeepsAChunkThatDoesNotCompressRaw) {
    std::string noise = Noise(4096);
    std::string container = Compress(noise);
    ASSERT_EQ(container.size(), 1 + 2 + 4096u);
    EXPECT_EQ(container.substr(1, 2), "\xFF\x3F");
    EXPECT_EQ(container.substr(3), noise);
}

TEST(Compression, RefusesWhatDoesNotReadWithTheByteWhereItFails) {
    std::string good = Compress(Text(300));
    const struct {
        std::string container;
        std::size_t offset;
    } bad[] = {
        {"", 0},
        {"\x02" + good.substr(1), 0},
        {good.substr(0, good.size() - 5), 1},  // the chunk runs past the end
        {good + "\x05", good.size()},          // a header cut off
        {"\x01\x00\x00"s, 1},                  // no chunk signature
        {"\x01\x01\xB0\x01\x00\x00"s, 4},      // a copy before any byte
        {"\x01\x02\xB0\x02"
         "a"
         "\x00"s,
         5},  // a copy token cut off
        {"\x01\x03\xB0\x02"
         "a"
         "\x00\x10"s,
         5},  // a copy reaching before the chunk
    };
    for (const auto& c : bad) {
        try {
            Decompress(c.container, "VBA/Module1");
            ADD_FAILURE() << "read: " << c.container.size() << " bytes";
        } catch (const OfficeFileError& e) {
            EXPECT_EQ(e.Where(), "VBA/Module1");
            EXPECT_EQ(e.Offset(), c.offset) << e.Message();
            EXPECT_EQ(e.Number(), 321);
        }
    }
}

}  // namespace
}  // namespace brindle::host
