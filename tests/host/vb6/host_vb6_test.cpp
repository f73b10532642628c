// VB6 source text: code page conversions, the same bytes on every platform; and the statement
// scanner's rules, a row per group of real-world forms, through every answer the module gives.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "host/ide/MemoryProject.h"
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
    EXPECT_EQ(FromUtf8("a日本ā\xFFz", 1252), "a????z");
    EXPECT_EQ(MissingFrom("日本 ā 日", 1252), "日本ā");
    EXPECT_EQ(FromUtf8("ë€", 932), "??");
    EXPECT_EQ(FromUtf8("한국어", 936), "???");
    const struct {
        int codePage;
        std::string bytes;
        std::string utf8;
    } undecodable[] = {
        {932, "a\x81", "a\xEF\xBF\xBD"},            // a lead byte at the end
        {932, "\x81\x20x", "\xEF\xBF\xBD x"},       // a lead byte before a space
        {936, "\xFFz", "\xEF\xBF\xBDz"},            // no character begins with FF
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
    for (const int codePage :
         {932, 936, 949, 950, 1250, 1251, 1252, 1253, 1257, 10000, kUtf8CodePage}) {
        EXPECT_TRUE(IsModuleCodePage(codePage)) << codePage;
    }
    // Mac Roman: the code page of VBA projects saved by Office for the Mac.
    EXPECT_EQ(ToUtf8("K\x8Ase", 10000), "Käse");
    EXPECT_EQ(FromUtf8("Käse", 10000), "K\x8Ase");
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

using Texts = std::vector<std::string>;

struct Case {
    std::string_view what;
    std::vector<std::string_view> lines;
    // "name kind start body declaration's-last-line End-line span's-last-line" per procedure.
    Texts spans;
    // "name type" per member in order; when empty, one method or property per procedure name.
    Texts members = {};
    // Names the module declares that are no members: Item raises 5.
    std::vector<std::string_view> notMembers = {};
    int codePage = 1252;
};

// Blank and comment lines above a declaration belong to the procedure below; the first
// procedure starts after the declarations section's last statement; the last runs to the end.
const std::vector<Case> kCases = {
    {"scope keywords, Static and none",
     {"Sub Main()", "End Sub", "Private Sub A()", "End Sub", "Public Function B() As Long",
      "End Function", "Friend Property Get C() As Long", "End Property", "Public Static Sub D()",
      "    Static calls As Long", "End Sub", "Static Function E()", "End Function",
      "Global Sub F()", "End Sub"},
     {"Main Proc 1 1 1 2 2", "A Proc 3 3 3 4 4", "B Proc 5 5 5 6 6", "C Get 7 7 7 8 8",
      "D Proc 9 9 9 11 11", "E Proc 12 12 12 13 13", "F Proc 14 14 14 15 15"}},
    {"any letter case, tabs and irregular spacing",
     {"PRIVATE SUB Shout ( )", "end sub", "\tpublic\t  function   Tabbed$(ByVal x As Long)",
      "  END   FUNCTION", "   property   let   Value(ByVal v As Long)", "\tEnd Property"},
     {"Shout Proc 1 1 1 2 2", "Tabbed Proc 3 3 3 4 4", "Value Let 5 5 5 6 6"}},
    {"spans take the blank and comment lines above them",
     {"Option Explicit", "Private x As Long", "", "' About First.", "Sub First()", "End Sub", "",
      "'' About Second", "Sub Second()", "    x = 1", "End Sub", "' trailing comment", ""},
     {"First Proc 3 5 5 6 6", "Second Proc 7 9 9 11 13"},
     {"x Variable", "First Method", "Second Method"}},
    {"property procedures are separate spans and one member",
     {"Private mName As String", "Public Property Get Name() As String", "    Name = mName",
      "End Property", "Public Property Let Name(ByVal value As String)", "    mName = value",
      "End Property", "Public Property Set Name(ByVal value As Object)", "End Property"},
     {"Name Get 2 2 2 4 4", "Name Let 5 5 5 7 7", "Name Set 8 8 8 9 9"},
     {"mName Variable", "Name Property"}},
    {"a Declare is a method without a span",
     {"Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)",
      "Public Declare PtrSafe Function GetTickCount Lib \"kernel32\" () As Long",
      "Declare Function Beep& Lib \"kernel32\" (ByVal f As Long, ByVal d As Long)", "",
      "Sub Main()", "End Sub"},
     {"Main Proc 4 5 5 6 6"},
     {"Sleep Method", "GetTickCount Method", "Beep Method", "Main Method"}},
    {"members of every kind in declaration order",
     {"Implements IWidget", "Public Event Changed(ByVal what As String)",
      "Private Const A As Long = 1, B = \"x, y\"", "Dim first As Long, second(1 To 3, 2) As String",
      "Public WithEvents Button As CommandButton", "Global Counter", "Private Enum Colour",
      "    Red = 1", "    Sub_ = 2", "End Enum", "Private Type Pair", "    Left As Long",
      "    Right As Long", "End Type", "Public Sub Run()", "    Dim local As Long",
      "    Const inner = 3", "End Sub"},
     {"Run Proc 15 15 15 18 18"},
     {"Changed Event", "A Const", "B Const", "first Variable", "second Variable", "Button Variable",
      "Counter Variable", "Run Method"},
     {"local", "inner", "Colour", "Red", "Pair", "Left", "IWidget", ""}},
    {"an event and a method of one name are two members; the first declared answers",
     {"Public Event Connect()", "Public Sub Connect()", "    RaiseEvent Connect", "End Sub"},
     {"Connect Proc 2 2 2 4 4"},
     {"Connect Event", "Connect Method"}},
    {"continuations join lines, but not inside strings",
     {"Private Function Joined(ByVal a As Long, _", "                        ByVal b As Long) _",
      "                        As Long", "    Joined = a + _", "        b",
      "    Debug.Print \"End Function _\"", "End _", "Function", "Sub After()",
      "    s = \"text _",  // an open string ends the line
      "End Sub"},
     {"Joined Proc 1 1 3 7 8", "After Proc 9 9 9 11 11"}},
    // A comment ending in " _" swallows the next line; "_" right after a comment's text does not.
    {"comments and strings end nothing",
     {"Sub Quoted()", "    s = \"He said \"\"End Sub\"\" \"", "    ' End Sub", "    Rem End Sub",
      "    x = 1: REM End Sub", "    x = 2 ' a comment that goes on _", "End Sub",
      "    Rem this one too _", "    End Sub", "    Remark = 1", "    x = \"'\": End Sub",
      "'______________________", "Sub Next_()", "End Sub"},
     {"Quoted Proc 1 1 1 11 11", "Next_ Proc 12 13 13 14 14"}},
    {"statements that begin like an End statement or a declaration",
     {"Sub Body()", "    EndTime = Now", "    Subtotal = 1", "\tPropertyCount = 2",
      "    Static n As Long", "    Call PublicThing", "    x = \"a\" & _", "    \"b\"",
      "    MsgBox \"End Sub\"", "End Sub", "Sub Next_()", "End Sub"},
     {"Body Proc 1 1 1 10 10", "Next_ Proc 11 11 11 12 12"}},
    {"labels, line numbers and colons",
     {"Public Sub Numbered()", "10    On Error GoTo 100", "20    x = 1: y = 2", "Retry:",
      "      Exit Sub", "100   MsgBox Erl", "110 End Sub", "Private Sub OneLine(): x = 1: End Sub",
      "Private Sub Twin(): End Sub", "Sub Named(a, b): Call Foo(x:=1): End Sub"},
     {"Numbered Proc 1 1 1 7 7", "OneLine Proc 8 8 8 8 8", "Twin Proc 9 9 9 9 9",
      "Named Proc 10 10 10 10 10"}},
    // Directives closing a block of declarations belong to the declarations section; a #Const
    // or an #If right above a procedure belongs to it.
    {"directives around declarations and procedures",
     {"#Const DEBUGGING = 1", "#If VBA7 Then",
      "Private Declare PtrSafe Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", "#Else",
      "Private Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)", "#End If", "",
      "#Const TRACE = 0", "Sub First()", "#If TRACE Then", "    Debug.Print \"First\"", "#End If",
      "End Sub", "#If DEBUGGING Then", "Sub Dump()", "End Sub", "#End If", "Sub Last()", "End Sub"},
     {"First Proc 7 9 9 13 13", "Dump Proc 14 15 15 16 16", "Last Proc 17 18 18 19 19"},
     {"Sleep Method", "First Method", "Dump Method", "Last Method"}},
    {"alternative declarations sharing one End are one procedure",
     {"Option Explicit", "", "#If VBA7 Then",
      "Public Function Handle(ByVal h As LongPtr) As LongPtr", "#ElseIf Win16 Then",
      "Public Function Handle(ByVal h As Integer) As Integer", "#Else",
      "Public Function Handle(ByVal h As Long) As Long", "#End If", "    Handle = h",
      "End Function", "", "#If VBA7 Then", "Private Sub Whole(ByVal p As LongPtr)", "End Sub",
      "#Else", "Private Sub Whole(ByVal p As Long)", "End Sub", "#End If"},
     {"Handle Proc 2 4 4 11 11", "Whole Proc 12 14 14 15 15", "Whole Proc 16 17 17 18 19"}},
    {"date literals and file numbers",
     {"Sub Dates()", "    If Now > #12:30:00 PM# Then Exit Sub", "    Print #1, \"x\": Close #1",
      "    d = #1/2/2003#: End Sub", "Sub Second()", "End Sub"},
     {"Dates Proc 1 1 1 4 4", "Second Proc 5 5 5 6 6"}},
    {"missing End statements still give every line one owner",
     {"Sub Open1()", "    x = 1", "", "Sub Open2()", "    y = 2"},
     {"Open1 Proc 1 1 1 0 2", "Open2 Proc 3 4 4 0 5"}},
    // "ソ" is 0x83 0x5C and "ダ" 0x83 0x5F: a backslash and an underscore as second bytes.
    {.what = "Shift-JIS trail bytes are no syntax",
     .lines = {"Sub \x83\x5C\x83\x5F()", "    s = \"\x83\x5F\" ' \x83\x5F", "End Sub", "Sub B()",
               "End Sub"},
     .spans = {"\x83\x5C\x83\x5F Proc 1 1 1 3 3", "B Proc 4 4 4 5 5"},
     .codePage = 932},
    // The same in GBK, whose second bytes include "\\" and "_" too (Big5 and Korean take its
    // lead bytes).
    {.what = "GBK trail bytes are no syntax",
     .lines = {"Sub \x81\x5C\x81\x5F()", "    s = \"\x81\x5F\" ' \x81\x5F", "End Sub", "Sub B()",
               "End Sub"},
     .spans = {"\x81\x5C\x81\x5F Proc 1 1 1 3 3", "B Proc 4 4 4 5 5"},
     .codePage = 936},
};

constexpr const char* kKinds[] = {"Proc", "Let", "Set", "Get"};
constexpr const char* kTypes[] = {"", "Method", "Property", "Variable", "Event", "Const"};

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

std::int32_t Failure(const std::function<void()>& call) {
    try {
        call();
    } catch (const VbError& e) {
        return e.Number();
    }
    return 0;
}

TEST(Scanner, EveryRuleAsTheModuleAnswersIt) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        std::string code;
        for (std::string_view line : c.lines) {
            code.append(line).append("\r\n");
        }
        MemoryProject project;
        MemoryComponent& component = project.AddComponent("M", vbext_ct_StdModule, code);
        component.SetCodePage(c.codePage);
        MemoryCodeModule& m = *component.Code();

        const std::vector<ProcedureInfo> procs = m.Procedures();
        Texts spans;
        for (const ProcedureInfo& info : procs) {
            const Procedure& p = info.procedure;
            spans.push_back(p.name + " " + kKinds[p.kind] + " " + std::to_string(p.startLine) +
                            " " + std::to_string(p.bodyLine) + " " +
                            std::to_string(p.declLastLine) + " " + std::to_string(p.endLine) + " " +
                            std::to_string(info.lastLine));
        }
        ASSERT_EQ(spans, c.spans);

        // Names are found in any letter case; of two spans of one name the first answers.
        for (std::size_t i = 0; i < procs.size(); ++i) {
            const Procedure& p = procs[i].procedure;
            if (i > 0 && procs[i - 1].procedure.name == p.name &&
                procs[i - 1].procedure.kind == p.kind) {
                continue;
            }
            const std::string name = Upper(p.name);
            EXPECT_EQ(m.ProcStartLine(name, p.kind), p.startLine) << spans[i];
            EXPECT_EQ(m.ProcBodyLine(name, p.kind), p.bodyLine) << spans[i];
            EXPECT_EQ(m.ProcCountLines(name, p.kind), procs[i].lastLine - p.startLine + 1)
                << spans[i];
            EXPECT_EQ(m.ProcEndLine(name, p.kind), p.endLine) << spans[i];
        }

        Texts expected = c.members;
        if (expected.empty()) {
            for (const ProcedureInfo& info : procs) {
                std::string member = info.procedure.name + " " +
                                     (info.procedure.kind == vbext_pk_Proc ? "Method" : "Property");
                if (expected.empty() || expected.back() != member) {
                    expected.push_back(member);
                }
            }
        }
        Texts members;
        for (std::int32_t i = 1; i <= m.Members().Count(); ++i) {
            auto member = m.Members().Item(i);
            const std::string name = member->Name();
            members.push_back(name + " " + kTypes[member->Type()]);
            // The first member of a name answers for it, in any letter case.
            auto first = m.Members().Item(Upper(name));
            EXPECT_EQ(first->Name() + " " + kTypes[first->Type()],
                      *std::find_if(members.begin(), members.end(), [&](const std::string& t) {
                          return t.starts_with(name + " ");
                      }));
            // A method or property has procedures of exactly the kinds its spans show.
            if (member->Type() != vbext_mt_Method && member->Type() != vbext_mt_Property) {
                continue;
            }
            for (auto kind : {vbext_pk_Proc, vbext_pk_Let, vbext_pk_Set, vbext_pk_Get}) {
                if (std::none_of(procs.begin(), procs.end(), [&](const ProcedureInfo& info) {
                        return info.procedure.name == name && info.procedure.kind == kind;
                    })) {
                    EXPECT_EQ(Failure([&] { m.ProcBodyLine(name, kind); }), 35)
                        << name << " " << kKinds[kind];
                }
            }
        }
        EXPECT_EQ(members, expected);
        for (std::string_view name : c.notMembers) {
            EXPECT_EQ(Failure([&] { m.Members().Item(name); }), 5) << name;
        }
    }
}

}  // namespace
}  // namespace brindle::host
