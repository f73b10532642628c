// Conversions between UTF-8 and the Windows code pages give the same bytes on every platform:
// the expected bytes are what iconv makes of the text on Linux, and Windows' own code-page
// functions must agree.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>
#include <vector>

#include "host/vb6/CodePage.h"
#include "model/VbError.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

using namespace std::string_literals;

TEST(CodePages, TextConvertsToTheBytesIconvGivesAndBack) {
    const struct {
        int codePage;
        std::string utf8;
        std::string bytes;
    } cases[] = {
        {932, "日本語のテキスト、半角ｶﾅ①～",
         "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67\x81\x41\x94\xBC\x8A\x70"
         "\xB6\xC5\x87\x40\x81\x60"},
        {936, "中文文本，简体字～€",
         "\xD6\xD0\xCE\xC4\xCE\xC4\xB1\xBE\xA3\xAC\xBC\xF2\xCC\xE5\xD7\xD6\xA1\xAB\x80"},
        {1252, "Zoë, naïve café – “quotes” €100 ™ Œ",
         "Zo\xEB, na\xEFve caf\xE9 \x96 \x93quotes\x94 \x80"
         "100 \x99 \x8C"},
        {1251, "Модуль Отчёты", "\xCC\xEE\xE4\xF3\xEB\xFC \xCE\xF2\xF7\xB8\xF2\xFB"},
        {kUtf8CodePage, "Zoë 日本", "Zoë 日本"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromUtf8(c.utf8, c.codePage), c.bytes) << c.codePage;
        EXPECT_EQ(ToUtf8(c.bytes, c.codePage), c.utf8) << c.codePage;
        EXPECT_EQ(MissingFrom(c.utf8, c.codePage), "") << c.codePage;
    }
    EXPECT_EQ(ToUtf8("'\0\xEB\0=\xD8\x00\xDE"s, kUtf16LeCodePage), "'ë\xF0\x9F\x98\x80");
    EXPECT_EQ(ToUtf8("\0'\0\xEB"s, kUtf16BeCodePage), "'ë");
}

// A character the code page lacks, or a byte that is not UTF-8, becomes "?"; the lacking
// characters are told each once. A byte that is no character of the code page shows as U+FFFD.
TEST(CodePages, WhatCannotBeConvertedIsReplacedAndTold) {
    EXPECT_EQ(FromUtf8("a日本ā\xFF"
                       "b",
                       1252),
              "a???"
              "?b");
    EXPECT_EQ(MissingFrom("日本 ā 日", 1252), "日本ā");
    EXPECT_EQ(FromUtf8("ë€", 932), "??");
    EXPECT_EQ(FromUtf8("한국어", 936), "???");
    const struct {
        int codePage;
        std::string bytes;
        std::string utf8;
    } undecodable[] = {
        {932, "a\x81", "a\xEF\xBF\xBD"},       // a lead byte at the end
        {932, "\x81\x20x", "\xEF\xBF\xBD x"},  // a lead byte before a space
        {936,
         "\xFF"
         "a",
         "\xEF\xBF\xBD"
         "a"},                                      // no character begins with FF
        {kUtf8CodePage, "\xC3(", "\xEF\xBF\xBD("},  // a sequence cut short
        // The five bytes 1252 leaves unassigned are control characters to Windows.
        {1252, "\x81\x9D", test::kOnWindows ? "\xC2\x81\xC2\x9D" : "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& c : undecodable) {
        EXPECT_EQ(ToUtf8(c.bytes, c.codePage), c.utf8) << c.codePage;
    }
}

TEST(CodePages, AnUnknownCodePageRaises5AndModulesNeedAsciiAsItIs) {
    try {
        FromUtf8("a", 99999);
        ADD_FAILURE() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_EQ(e.Source(), "CodePage.CP99999");
    }
    for (const int codePage : {932, 936, 949, 950, 1250, 1251, 1252, 1253, 1257, kUtf8CodePage}) {
        EXPECT_TRUE(IsModuleCodePage(codePage)) << codePage;
    }
    for (const int codePage : {99999, kUtf16LeCodePage, 1200, 37}) {
        EXPECT_FALSE(IsModuleCodePage(codePage)) << codePage;
    }
    // Text that names no code page of its own is the user's: the system's ANSI code page on
    // Windows, 1252 elsewhere.
#ifdef _WIN32
    EXPECT_EQ(SystemDefaultCodePage(), static_cast<int>(GetACP()));
#else
    EXPECT_EQ(SystemDefaultCodePage(), 1252);
#endif
}

// As Windows compares file names: every letter of UTF-8, the ASCII letters of other bytes.
TEST(CodePages, NamesCompareIgnoringLetterCase) {
    const struct {
        std::string a, b;
        bool equal;
    } cases[] = {
        {"modMain.BAS", "MODMAIN.bas", true},
        {"Модуль", "МОДУЛЬ", true},
        {"Relatório", "RELATÓRIO", true},
        {"Zoë", "ZOË", true},
        {"表示", "表示", true},
        {"abc", "abd", false},
        {"a\x95\x5C", "A\x95\x5C", true},
        {"\xE9t\xE9", "\xC9T\xC9", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal) << c.a << " " << c.b;
    }
}

// A project saved in Japanese or Chinese and read as 1252 is recognised, and which it is told;
// a Western one, or one of a few characters, is not taken for either.
TEST(CodePages, DoubleByteTextIsToldFromAccentedLetters) {
    const struct {
        std::string utf8;
        int codePage;  // that the text is saved in
        std::vector<int> readings;
    } cases[] = {
        {"Name=\"顧客管理\"\r\nModule=共通関数; 共通関数.bas\r\nTitle=\"在庫の一覧\"", 932, {932}},
        {"Module=顧客管理; 顧客管理.bas", 932, {932}},
        {"Name=\"客户管理\"\r\nModule=公共函数; 公共函数.bas", 936, {936}},
        {"Name=\"Größe für Müller\"\r\nTitle=\"Relatório de Preços Únicos\"", 1252, {}},
        {"Module=Модуль; Модуль.bas\r\nName=\"Отчёты\"", 1251, {}},
        {"Name=\"日本\"", 932, {}},  // too few to tell
        {"Name=\"Inventory\"", 1252, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DoubleByteReadingsOf(FromUtf8(c.utf8, c.codePage)), c.readings) << c.utf8;
    }
}

}  // namespace
}  // namespace brindle::host
