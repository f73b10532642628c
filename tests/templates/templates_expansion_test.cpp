#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <regex>
#include <string>

#include "host/files/TemplateFileReader.h"
#include "host/ide/MemoryProject.h"
#include "support/TestPaths.h"
#include "templates/Expansion.h"
#include "templates/Keywords.h"
#include "templates/OptionStore.h"
#include "util/DateFormat.h"

namespace brindle {
namespace {

constexpr std::string_view kCode =
    "Option Explicit\r\n"                                                               // 1
    "Public Function Area(ByVal w As Long, _\r\n"                                       // 2
    "                     Optional ByVal h As Long = 1) As Long()\r\nEnd Function\r\n"  // 3-4
    "Sub Main()\r\nEnd Sub\r\n"                                                         // 5-6
    "Public Property Get Name() As String\r\nEnd Property\r\n"                          // 7-8
    "Private Sub Note(Optional s As String = \"%Author%, 50%\", ParamArray Items() As Variant)\r\n"
    "End Sub\r\n"                                                      // 10
    "Sub Pad(byval  Width As Long,  OPTIONAL   Fill)\r\nEnd Sub\r\n";  // 11-12

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
        fields.msAuthor = "Zo\xC3\xAB \xE5\x90\x8D";  // Zoë and a character Windows-1252 lacks
        fields.clock = [] { return LocalNoon(2024, 3, 17); };
    }
    std::string Date() { return ExpandKeyword(fields, "Date", code, nullptr, 1); }
    // Expands `tmplt` for the procedure declared at `line`, or for the module.
    std::string For(const std::string& tmplt, const char* procedure = nullptr,
                    std::int32_t line = 1) {
        const auto member = procedure == nullptr ? nullptr : code.Members().Item(procedure);
        return BuildCode(fields, tmplt, code, member.get(), line);
    }
};

TEST_F(Expansion, EveryReferenceIsReplacedOthersStayAndTheLastLineBreakGoes) {
    struct Case {
        const char* tmplt;
        const char* procedure;
        std::int32_t line;
        std::string expected;
    };
    const std::string date = Date();
    const Case cases[] = {
        {"", nullptr, 1, ""},
        {"' a\n' b\n", nullptr, 1, "' a\n' b"},
        {"' 100% sure, 50% % done\n", nullptr, 1, "' 100% sure, 50% % done"},
        {"%date% %DATE%\n", nullptr, 1, date + " " + date},
        {"% Date % %Dates% %Note%Date%\n", nullptr, 1, "% Date % %Dates% %Note" + date},
        {"%%Date%\n", nullptr, 1, "%" + date},
        {"' %%, %Date, 100% %ModuleName\n", nullptr, 1, "' %%, %Date, 100% %ModuleName"},
        // Text goes in in the module's code page.
        {"' %ModuleName% by %author%, %ModuleName%\n", nullptr, 1,
         "' Geometry by Zo\xEB ?, Geometry"},
        {"[%ProcedureName%][%ProcedureType%][%TypedScopedProcedureName%][%Parameters%]"
         "[%ParameterNames%]\n",
         nullptr, 1, "[][Sub][][][]"},
        {"[%ProcedureType%][%ModuleName%]\n", nullptr, 99, "[][Geometry]"},  // no such line
        {"%ProcedureName%|%ProcedureType%|%TypedScopedProcedureName%\n", "Area", 2,
         "Area|Function|Public Function Area"},
        {"%ProcedureType% %ProcedureName%\n", "Name", 7, "Property Name"},
        // One comment line per parameter; a value is never searched for references.
        {"' Parameters:%Parameters%\n", "Area", 2,
         "' Parameters:\r\n'\tByVal w As Long\r\n'\tOptional ByVal h As Long = 1"},
        {"' In:%ParameterNames% (all)\n", "Area", 2, "' In:\r\n'\tw\r\n'\th (all)"},
        {"'%Parameters%\n", "Note", 9,
         "'\r\n'\tOptional s As String = \"%Author%, 50%\"\r\n'\tParamArray Items() As Variant"},
        {"'%ParameterNames%\n", "Note", 9, "'\r\n'\ts\r\n'\tItems()"},
        {"'%ParameterNames%\n", "Pad", 11, "'\r\n'\tWidth\r\n'\tFill"},
        {"' None:%Parameters%%ParameterNames%.\n", "Main", 5, "' None:."}};
    for (const auto& c : cases) {
        EXPECT_EQ(For(c.tmplt, c.procedure, c.line), c.expected) << c.tmplt;
    }
}

// Short Date is the regional short date the host tells, in the module's code page; ISO and
// patterns as given, mm/dd/yy among them; a format that is none is told and gives Short Date.
// A host that tells no regional date, or whose system cannot, gets the C locale's mm/dd/yy.
TEST_F(Expansion, TheDateFollowsTheDateFormat) {
    fields.regionalDate = [](CalendarDate date) {
        return std::to_string(date.day) + ". M\xC3\xA4rz " + std::to_string(date.year);
    };
    struct Case {
        const char* format;
        const char* date;
        bool known;
    };
    const char* const regional = "17. M\xE4rz 2024";
    const Case cases[] = {
        {"Short Date", regional, true},     {"", regional, true},
        {"ISO", "2024-03-17", true},        {"mm/dd/yy", "03/17/24", true},
        {"dd.mm.yyyy", "17.03.2024", true}, {"YYYY_MM_DD", "2024_03_17", true},
        {"dd mmm yyyy", regional, false},   {"Today", regional, false},
    };
    for (const auto& c : cases) {
        fields.msDateFormat = c.format;
        fields.todayText.reset();
        EXPECT_EQ(Date(), c.date) << c.format;
        EXPECT_EQ(DateFormatProblem(c.format).empty(), c.known) << c.format;
    }
    fields.msDateFormat = "Short Date";
    for (const RegionalDate& none :
         {RegionalDate(), RegionalDate([](CalendarDate) { return std::string(); })}) {
        fields.regionalDate = none;
        fields.todayText.reset();
        EXPECT_EQ(Date(), "03/17/24");
    }
}

// Each keyword that the help lists gives a value.
TEST_F(Expansion, EveryListedKeywordExpands) {
    for (const TemplateKeyword& keyword : kTemplateKeywords) {
        const std::string reference = ReferenceTo(keyword);
        const std::string value = For(reference + "\n", "Area", 2);
        EXPECT_FALSE(value.empty()) << keyword.name;
        EXPECT_EQ(value.find('%'), std::string::npos) << keyword.name;
    }
}

// The header jumps to a label that the footer defines after the Exit statement of the
// procedure's kind.
TEST_F(Expansion, TheDefaultErrorHandlerFitsEveryKindOfProcedure) {
    const std::string folder = (test::SourceDir() / "Templates").string() + "/";
    host::TemplateFileReader files;
    LoadTemplates(files, "", "", folder + "StandardVBErrHeader.txt",
                  folder + "StandardVBErrFooter.txt", fields);
    const std::string header = For(fields.msErrHdrTmplt, "Area", 2);
    std::smatch label;
    ASSERT_TRUE(std::regex_search(header, label, std::regex("On Error GoTo (\\w+)"))) << header;
    const std::tuple<const char*, std::int32_t, std::string> cases[] = {
        {"Area", 2, "Function"}, {"Main", 5, "Sub"}, {"Name", 7, "Property"}};
    for (const auto& [procedure, line, type] : cases) {
        const std::string footer = For(fields.msErrFtrTmplt, procedure, line);
        const auto exit = footer.find("Exit " + type + "\n");
        EXPECT_NE(exit, std::string::npos) << footer;
        EXPECT_LT(exit, footer.find("\n" + label[1].str() + ":\n")) << footer;
    }
    EXPECT_NE(For(fields.msErrFtrTmplt, "Area", 2).find("Err.Raise Err.Number, \"Geometry.Area"),
              std::string::npos);
}

}  // namespace
}  // namespace brindle
