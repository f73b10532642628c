#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>

#include "host/MemoryProject.h"
#include "host/TemplateFileReader.h"
#include "host/model/VbError.h"
#include "support/TestPaths.h"
#include "templates/Expansion.h"
#include "templates/OptionStore.h"

namespace brindle {
namespace {

constexpr std::string_view kCode =
    "Option Explicit\r\n"                                               // 1
    "Public Function Area(ByVal w As Long, _\r\n"                       // 2
    "                     Optional ByVal h As Long = 1) As Long()\r\n"  // 3
    "End Function\r\n"                                                  // 4
    "Sub Main()\r\n"                                                    // 5
    "End Sub\r\n"                                                       // 6
    "Public Property Get Name() As String\r\n"                          // 7
    "End Property\r\n"                                                  // 8
    "Private Sub Note(Optional s As String = \"%Author%, 50%\", ParamArray Items() As Variant)\r\n"
    "End Sub\r\n"                                          // 10
    "Sub Pad(ByVal  Width As Long,  Optional   Fill)\r\n"  // 11
    "End Sub\r\n";                                         // 12

std::chrono::system_clock::time_point LocalNoon(int year, int month, int day) {
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    date.tm_hour = 12;
    date.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&date));
}

class Expansion : public ::testing::Test {
protected:
    host::MemoryProject project;
    CodeModule& code = project.AddComponent("Geometry", vbext_ct_StdModule, kCode).CodeModule();
    AddinFields fields;

    void SetUp() override {
        fields.msAuthor = "Ann";
        fields.clock = [] { return LocalNoon(2024, 3, 17); };
    }
    std::string Date() { return ExpandKeyword(fields, "Date", code, nullptr, 1); }
    // Expands `tmplt` for the procedure declared at `line`.
    std::string For(const std::string& tmplt, std::string_view name, std::int32_t line) {
        const auto member = code.Members().Item(name);
        return BuildCode(fields, tmplt, code, member.get(), line);
    }
    std::string ForModule(const std::string& tmplt) {
        return BuildCode(fields, tmplt, code, nullptr, 1);
    }
};

TEST(GetKeyword, FindsTheNextReferenceToOneOfTheEightNames) {
    std::int32_t start = 0;
    std::int32_t end = 0;
    EXPECT_EQ(GetKeyword("by %author% on", 1, start, end), "author");
    EXPECT_EQ(start, 4);
    EXPECT_EQ(end, 11);
    EXPECT_EQ(GetKeyword("%Note%Date%", 1, start, end), "Date");
    EXPECT_EQ(start, 6);
    EXPECT_EQ(GetKeyword("%%DATE%", 1, start, end), "DATE");
    EXPECT_EQ(start, 2);
    EXPECT_EQ(GetKeyword("%Date% %Date%", 2, start, end), "Date");
    EXPECT_EQ(start, 8);
}

TEST(GetKeyword, LeavesEverythingElse) {
    std::int32_t start = -7;
    std::int32_t end = -7;
    for (const char* text : {"", "50%", "% Date %", "%Dates%", "%%", "%Date", "100% %ModuleName"}) {
        EXPECT_EQ(GetKeyword(text, 1, start, end), "") << text;
    }
    EXPECT_EQ(GetKeyword("%Date%", 7, start, end), "");
    EXPECT_EQ(start, -7);
    try {
        GetKeyword("%Date%", 0, start, end);
        FAIL() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_EQ(e.Source().rfind("Brindle.GetKeyword | ", 0), 0u);
    }
}

TEST_F(Expansion, TextWithoutReferencesLosesOnlyItsLastLineBreak) {
    EXPECT_EQ(ForModule(""), "");
    EXPECT_EQ(ForModule("' a\n' b\n"), "' a\n' b");
    EXPECT_EQ(ForModule("' a\n\n"), "' a\n");
    EXPECT_EQ(ForModule("' 100% sure, 50% % done\n"), "' 100% sure, 50% % done");
}

TEST_F(Expansion, EveryReferenceIsReplacedAndOthersStay) {
    const std::string date = Date();
    EXPECT_EQ(ForModule("%date% %DATE% %Date%\n"), date + " " + date + " " + date);
    EXPECT_EQ(ForModule("% Date % %Dates% %Note%Date%\n"), "% Date % %Dates% %Note" + date);
    EXPECT_EQ(ForModule("%%Date%\n"), "%" + date);
    EXPECT_EQ(ForModule("' %ModuleName% by %Author%, %ModuleName%\n"),
              "' Geometry by Ann, Geometry");
}

TEST_F(Expansion, ProcedureKeywordsComeFromTheDeclaration) {
    EXPECT_EQ(For("%ProcedureName%|%ProcedureType%|%TypedScopedProcedureName%\n", "Area", 2),
              "Area|Function|Public Function Area");
    EXPECT_EQ(For("%ProcedureType%\n", "Main", 5), "Sub");
    EXPECT_EQ(For("%ProcedureType% %ProcedureName%\n", "Name", 7), "Property Name");
}

TEST_F(Expansion, ParametersTakeOneCommentLineEach) {
    EXPECT_EQ(For("' Parameters:%Parameters%\n", "Area", 2),
              "' Parameters:\r\n'\tByVal w As Long\r\n'\tOptional ByVal h As Long = 1");
    EXPECT_EQ(For("' In:%ParameterNames% (all)\n", "Area", 2), "' In:\r\n'\tw\r\n'\th (all)");
    EXPECT_EQ(For("'%Parameters%\n", "Note", 9),
              "'\r\n'\tOptional s As String = \"%Author%, 50%\"\r\n'\tParamArray Items() As "
              "Variant");
    EXPECT_EQ(For("'%ParameterNames%\n", "Note", 9), "'\r\n'\ts\r\n'\tItems()");
    EXPECT_EQ(For("'%ParameterNames%\n", "Pad", 11), "'\r\n'\tWidth\r\n'\tFill");
    EXPECT_EQ(For("' None:%Parameters%%ParameterNames%.\n", "Main", 5), "' None:.");
}

TEST_F(Expansion, TheModuleHeaderHasNoProcedure) {
    EXPECT_EQ(ForModule("[%ProcedureName%][%ProcedureType%][%TypedScopedProcedureName%]"
                        "[%Parameters%][%ParameterNames%]\n"),
              "[][Sub][][][]");
}

TEST_F(Expansion, AValueThatCannotBeComputedIsEmpty) {
    EXPECT_EQ(BuildCode(fields, "[%ProcedureType%][%ModuleName%]\n", code, nullptr, 99),
              "[][Geometry]");
}

TEST_F(Expansion, AuthorAndDateGoInInTheModulesCodePage) {
    fields.msAuthor = "Zo\xC3\xAB \xE5\x90\x8D";  // Zoë and a character Windows-1252 lacks
    EXPECT_EQ(ForModule("%Author%\n"), "Zo\xEB ?");
}

TEST_F(Expansion, TheDateIsTodaysShortDate) {
    const std::string march17 = Date();
    EXPECT_NE(march17.find("17"), std::string::npos) << march17;
    EXPECT_NE(march17.find('3'), std::string::npos) << march17;
    EXPECT_EQ(march17.find(':'), std::string::npos) << march17;
    fields.clock = [] { return LocalNoon(2024, 3, 18); };
    EXPECT_NE(Date(), march17);
}

TEST_F(Expansion, TheDefaultErrorHandlerFitsEveryKindOfProcedure) {
    const std::string folder = (test::SourceDir() / "Templates").string() + "/";
    host::TemplateFileReader files;
    LoadTemplates(files, "", "", folder + "StandardVBErrHeader.txt",
                  folder + "StandardVBErrFooter.txt", fields);
    const std::string header = For(fields.msErrHdrTmplt, "Area", 2);
    const std::string goTo = "On Error GoTo ";
    const std::size_t at = header.find(goTo);
    ASSERT_NE(at, std::string::npos) << header;
    const std::string label = header.substr(at + goTo.size());

    const std::string footer = For(fields.msErrFtrTmplt, "Area", 2);
    const std::size_t exit = footer.find("Exit Function\n");
    const std::size_t labelLine = footer.find("\n" + label + ":\n");
    ASSERT_NE(exit, std::string::npos) << footer;
    ASSERT_NE(labelLine, std::string::npos) << footer;
    EXPECT_LT(exit, labelLine);
    EXPECT_NE(footer.find("Err.Raise Err.Number, \"Geometry.Area"), std::string::npos);
    EXPECT_NE(For(fields.msErrFtrTmplt, "Main", 5).find("Exit Sub\n"), std::string::npos);
    EXPECT_NE(For(fields.msErrFtrTmplt, "Name", 7).find("Exit Property\n"), std::string::npos);
}

}  // namespace
}  // namespace brindle
