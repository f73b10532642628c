#include "ProjectGenerator.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>

namespace fs = std::filesystem;

namespace brindle::bench {

std::uint64_t Random::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int Random::Between(int low, int high) {
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<int>(Next() % span);
}

namespace {

// Words of a business application's code. Some comments and strings hold Windows-1252
// letters, as the code of a Western European team does.
constexpr const char* kNouns[] = {
    "Customer", "Order",     "Invoice", "Account",  "Balance",  "Stock",   "Item",    "Price",
    "Report",   "Ledger",    "Payment", "Supplier", "Address",  "Contact", "Tax",     "Discount",
    "Shipment", "Warehouse", "Batch",   "Period",   "Currency", "Journal", "Receipt", "Quote"};
constexpr const char* kVerbs[] = {"Get",   "Load",  "Save", "Calculate", "Validate", "Update",
                                  "Print", "Post",  "Find", "Format",    "Export",   "Import",
                                  "Apply", "Close", "Open", "Refresh",   "Check",    "Build"};
constexpr const char* kTypes[] = {"Long", "String",  "Integer",  "Boolean", "Double",
                                  "Date", "Variant", "Currency", "Byte",    "Object"};
constexpr const char* kComments[] = {
    "Checks the figures before they are posted.",
    "Keeps the totals of the current period.",
    "Called from the month-end run; do not rename.",
    "Rounds to the cent as the auditors asked (see the 2004 review).",
    "Handles the customer\x92s discount.",
    "Fran\xE7ois: rewritten for the new price list.",
    "M\xFCller & S\xF6hne use a different tax code \x96 keep it.",
    "Returns \xAB"
    "empty\xBB when nothing was found.",
    "Amounts are in \x80, converted at the day\x92s rate.",
    "TODO: the old report still reads this field.",
    "Stra\xDF"
    "e and Pr\xFC"
    "fung come from the address book."};
constexpr const char* kStrings[] = {"Caf\xE9",
                                    ("Gr\xFC\xDF"
                                     "e"),  // one word: the escape would take the "e"
                                    "Total \x80",
                                    "Na\xEFve",
                                    "Se\xF1or",
                                    "Done.",
                                    "Not found",
                                    "End Sub"};
constexpr const char* kControls[] = {"CommandButton", "TextBox",  "Label",        "ComboBox",
                                     "ListBox",       "CheckBox", "OptionButton", "Frame"};
constexpr const char* kEvents[] = {"Click",     "Change",   "GotFocus",
                                   "LostFocus", "DblClick", "KeyPress"};

class ModuleBuilder {
public:
    ModuleBuilder(ModuleKind kind, std::string name, Random& random)
        : kind_(kind), name_(std::move(name)), random_(random) {}

    // Whether the form's designer refers to a resource file of the form's name.
    bool HasFrx() const { return hasFrx_; }

    std::string Build(int target) {
        Header();
        Declarations(target);
        while (lines_ < target - 4) {
            Procedure(target - lines_);
        }
        return std::move(text_);
    }

private:
    void Line(std::string_view text) {
        text_ += text;
        text_ += "\r\n";
        ++lines_;
    }
    void Indented(int depth, std::string_view text) {
        Line(std::string(static_cast<std::size_t>(depth) * 4, ' ') + std::string(text));
    }

    std::string UniqueName(std::string base) {
        std::string name = base;
        for (int n = 2; !names_.insert(Lower(name)).second; ++n) {
            name = base + std::to_string(n);
        }
        return name;
    }
    static std::string Lower(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        return text;
    }
    std::string Noun() { return random_.Pick(kNouns); }
    std::string Type() { return random_.Pick(kTypes); }
    std::string Text() { return random_.Pick(kStrings); }
    std::string Comment() { return random_.Pick(kComments); }

    void Header() {
        switch (kind_) {
            case ModuleKind::Standard:
                break;
            case ModuleKind::Class:
                for (const char* line :
                     {"VERSION 1.0 CLASS", "BEGIN", "  MultiUse = -1  'True",
                      "  Persistable = 0  'NotPersistable", "  DataBindingBehavior = 0  'vbNone",
                      "  DataSourceBehavior  = 0  'vbNone",
                      "  MTSTransactionMode  = 0  'NotAnMTSObject", "END"}) {
                    Line(line);
                }
                break;
            case ModuleKind::Form:
            case ModuleKind::UserControl:
                Designer();
                break;
        }
        Line("Attribute VB_Name = \"" + name_ + "\"");
        if (kind_ != ModuleKind::Standard) {
            Line("Attribute VB_GlobalNameSpace = False");
            Line(kind_ == ModuleKind::Form ? "Attribute VB_Creatable = False"
                                           : "Attribute VB_Creatable = True");
            Line(kind_ == ModuleKind::Form ? "Attribute VB_PredeclaredId = True"
                                           : "Attribute VB_PredeclaredId = False");
            Line(kind_ == ModuleKind::UserControl ? "Attribute VB_Exposed = True"
                                                  : "Attribute VB_Exposed = False");
        }
    }

    // VERSION, the Object lines and the BEGIN ... END block of the form's controls.
    void Designer() {
        Line("VERSION 5.00");
        if (random_.Chance(50)) {
            Line("Object = \"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0\"; \"MSCOMCTL.OCX\"");
        }
        const bool form = kind_ == ModuleKind::Form;
        Line(std::string(form ? "Begin VB.Form " : "Begin VB.UserControl ") + name_ + " ");
        Line("   Caption         =   \"" + Noun() + " " + Text() + "\"");
        Line("   ClientHeight    =   " + std::to_string(random_.Between(2000, 9000)));
        Line("   ClientLeft      =   60");
        Line("   ClientTop       =   450");
        Line("   ClientWidth     =   " + std::to_string(random_.Between(3000, 12000)));
        if (form && random_.Chance(50)) {
            Line("   Icon            =   \"" + name_ + ".frx\":0000");
            hasFrx_ = true;
        }
        Line("   ScaleHeight     =   3090");
        Line("   ScaleWidth      =   4680");
        if (form) {
            Line("   StartUpPosition =   3  'Windows Default");
        }
        const int controls = random_.Between(2, 18);
        for (int i = 0; i < controls; ++i) {
            Control(1);
        }
        Line("End");
    }

    void Control(int depth) {
        const std::string type = random_.Pick(kControls);
        static const std::map<std::string, std::string> kPrefixes = {
            {"CommandButton", "cmd"}, {"TextBox", "txt"}, {"Label", "lbl"},
            {"ComboBox", "cbo"},      {"ListBox", "lst"}, {"CheckBox", "chk"},
            {"OptionButton", "opt"},  {"Frame", "fra"}};
        const std::string& prefix = kPrefixes.at(type);
        const std::string name = UniqueName(prefix + Noun());
        controls_.push_back(name);
        const std::string pad(static_cast<std::size_t>(depth) * 3, ' ');
        Line(pad + "Begin VB." + type + " " + name + " ");
        if (type != "TextBox" && type != "ListBox" && type != "ComboBox") {
            Line(pad + "   Caption         =   \"" + Noun() + " " + Text() + "\"");
        }
        if (random_.Chance(30)) {
            Line(pad + "   BeginProperty Font ");
            Line(pad + "      Name            =   \"MS Sans Serif\"");
            Line(pad + "      Size            =   8.25");
            Line(pad + "      Charset         =   0");
            Line(pad + "      Weight          =   700");
            Line(pad + "      Underline       =   0   'False");
            Line(pad + "      Italic          =   0   'False");
            Line(pad + "      Strikethrough   =   0   'False");
            Line(pad + "   EndProperty");
        }
        for (const char* property : {"Height", "Left", "TabIndex", "Top", "Width"}) {
            std::string line = pad + "   " + property;
            line.resize(pad.size() + 19, ' ');
            Line(line + "=   " + std::to_string(random_.Between(0, 5000)));
        }
        if (type == "Frame" && depth < 3) {
            for (int i = random_.Between(1, 3); i > 0; --i) {
                Control(depth + 1);
            }
        }
        Line(pad + "End");
    }

    void Declarations(int target) {
        if (random_.Chance(90)) {
            Line("Option Explicit");
        } else {
            Line("Option Compare Text");
            Line("Option Explicit");
        }
        if (random_.Chance(5)) {
            ExistingModuleHeader();
        }
        CommentBlock(random_.Between(2, 8));
        const int budget = std::clamp(target / 12, 6, 120);
        const int start = lines_;
        while (lines_ - start < budget) {
            Declaration();
        }
        Line("");
    }

    void Declaration() {
        switch (random_.Between(0, 7)) {
            case 0:
                Line((random_.Chance(50) ? "Private Const " : "Public Const ") +
                     UniqueName("MAX_" + Noun()) +
                     " As Long = " + std::to_string(random_.Between(1, 9999)));
                break;
            case 1:
                Line("Private m_" + UniqueName(Noun()) + " As " + Type());
                break;
            case 2: {
                const std::string name = UniqueName("Get" + Noun() + "Info");
                Line("Private Declare Function " + name + " Lib \"kernel32\" Alias \"" + name +
                     "A\" ( _");
                Line("    ByVal hWnd As Long, _");
                Line("    ByVal lpBuffer As String, _");
                Line("    ByVal nSize As Long) As Long");
                break;
            }
            case 3: {
                const std::string name = UniqueName("Copy" + Noun());
                Line("#If VBA7 Then");
                Line("    Private Declare PtrSafe Sub " + name +
                     " Lib \"kernel32\" Alias \"RtlMoveMemory\" (Destination As Any, Source As "
                     "Any, ByVal Length As LongPtr)");
                Line("#Else");
                Line("    Private Declare Sub " + name +
                     " Lib \"kernel32\" Alias \"RtlMoveMemory\" (Destination As Any, Source As "
                     "Any, ByVal Length As Long)");
                Line("#End If");
                break;
            }
            case 4: {
                Line("Private Type " + UniqueName("T" + Noun()));
                for (int i = random_.Between(2, 6); i > 0; --i) {
                    Line("    " + UniqueName(Noun()) + " As " + Type());
                }
                Line("    Code As String * 10");
                Line("End Type");
                break;
            }
            case 5: {
                const std::string name = UniqueName("e" + Noun() + "State");
                Line("Public Enum " + name);
                for (int i = random_.Between(2, 5); i > 0; --i) {
                    Line("    " + UniqueName(name.substr(1) + Noun()) + " = " + std::to_string(i));
                }
                Line("End Enum");
                break;
            }
            case 6:
                if (kind_ == ModuleKind::Class || kind_ == ModuleKind::UserControl) {
                    Line("Public Event " + UniqueName(Noun() + "Changed") + "(ByVal NewValue As " +
                         Type() + ")");
                } else {
                    Line("Public g" + UniqueName(Noun()) + " As " + Type() +
                         " ' shared with the reports");
                }
                break;
            default:
                Line("' " + Comment());
                break;
        }
    }

    void CommentBlock(int count) {
        if (count > 2 && random_.Chance(40)) {
            Line("'-----------------------------------------------------------------------");
            count -= 2;
        }
        for (int i = 0; i < count; ++i) {
            Line("' " + Comment());
        }
    }

    // A module header as an earlier run of the add-in left it.
    void ExistingModuleHeader() {
        Line("' [Brindle Begin]");
        Line("'----");
        Line("' Module: " + name_);
        Line("' Author: Ann Author");
        Line("'----");
        Line("' [Brindle End]");
    }

    struct Declared {
        std::string keyword;  // "Sub", "Function", "Property"
        std::string exitWord;
        std::string name;
        bool returns = false;
    };

    void Procedure(int remaining) {
        const int shape = random_.Between(0, 99);
        if ((kind_ == ModuleKind::Form || kind_ == ModuleKind::UserControl) && shape < 30 &&
            !controls_.empty()) {
            EventHandler(remaining);
        } else if (shape < 62) {
            OneProcedure(remaining, "Sub");
        } else if (shape < 85) {
            OneProcedure(remaining, "Function");
        } else if (shape < 95) {
            PropertyPair(remaining);
        } else {
            AlternativeDeclarations(remaining);
        }
    }

    int BodyLength(int remaining) {
        const int length = random_.Chance(8) ? random_.Between(60, 160) : random_.Between(4, 45);
        return std::max(2, std::min(length, remaining - 6));
    }

    std::string Scope() {
        const int s = random_.Between(0, 9);
        if (s < 4) {
            return "Public ";
        }
        if (s < 8) {
            return "Private ";
        }
        if (s == 8 && kind_ != ModuleKind::Standard) {
            return "Friend ";
        }
        return "";
    }

    std::vector<std::string> Parameters() {
        std::vector<std::string> parameters;
        const int count = random_.Chance(25) ? 0 : random_.Between(1, 6);
        for (int i = 0; i < count; ++i) {
            std::string name = Noun() + std::to_string(i + 1);
            switch (random_.Between(0, 5)) {
                case 0:
                    parameters.push_back("ByVal " + name + " As " + Type());
                    break;
                case 1:
                    parameters.push_back("ByRef " + name + "() As " + Type());
                    break;
                case 2:
                    parameters.push_back(name + " As " + Type());
                    break;
                case 3:
                    parameters.push_back("Optional ByVal " + name + " As String = \"" + Text() +
                                         ", x\"");
                    break;
                case 4:
                    parameters.push_back("Optional " + name + " As Long = -1");
                    break;
                default:
                    parameters.push_back("ByVal " + name + " As " + Noun() + "s");
                    break;
            }
        }
        return parameters;
    }

    // The declaration, continued over lines when it is long.
    void DeclarationLines(const std::string& head, const std::vector<std::string>& parameters,
                          const std::string& tail) {
        if (parameters.size() < 3 || random_.Chance(40)) {
            std::string line = head + "(";
            for (std::size_t i = 0; i < parameters.size(); ++i) {
                line += (i > 0 ? ", " : "") + parameters[i];
            }
            Line(line + ")" + tail);
            return;
        }
        const std::string pad(head.size() + 1, ' ');
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            const bool last = i + 1 == parameters.size();
            Line((i == 0 ? head + "(" : pad) + parameters[i] + (last ? ")" + tail : ", _"));
        }
    }

    void Attributes(const std::string& name) {
        if (kind_ == ModuleKind::Standard) {
            return;
        }
        if (!defaultMember_ && random_.Chance(30)) {
            Line("Attribute " + name + ".VB_UserMemId = 0");
            defaultMember_ = true;
        }
        if (random_.Chance(25)) {
            Line("Attribute " + name + ".VB_Description = \"" + Comment() + "\"");
        }
    }

    void Above(const std::string& name) {
        if (random_.Chance(3)) {
            Line("' [Brindle Begin]");
            Line("'----");
            Line("' " + name);
            Line("' Parameters:");
            Line("' [Brindle End]");
        }
        if (random_.Chance(75)) {
            CommentBlock(random_.Between(1, 6));
        }
    }

    void OneProcedure(int remaining, const std::string& keyword) {
        Declared d{keyword, keyword, UniqueName(random_.Pick(kVerbs) + Noun()),
                   keyword == "Function"};
        Above(d.name);
        std::string head = Scope();
        if (random_.Chance(4)) {
            head += "Static ";
        }
        head += keyword + " " + d.name;
        DeclarationLines(head, Parameters(), d.returns ? " As " + Type() : "");
        Attributes(d.name);
        Body(d, BodyLength(remaining));
    }

    void EventHandler(int remaining) {
        const std::string control = controls_[static_cast<std::size_t>(
            random_.Between(0, static_cast<int>(controls_.size()) - 1))];
        const std::string event = random_.Pick(kEvents);
        Declared d{"Sub", "Sub", UniqueName(control + "_" + event), false};
        Above(d.name);
        Line("Private Sub " + d.name +
             (event == std::string("KeyPress") ? "(KeyAscii As Integer)" : "()"));
        Body(d, BodyLength(remaining));
    }

    void PropertyPair(int remaining) {
        const std::string name = UniqueName(Noun() + "Value");
        const bool object = random_.Chance(30);
        const std::string type = object ? Noun() : Type();
        Above(name);
        Line(Scope() + "Property Get " + name + "() As " + type);
        Attributes(name);
        const int length = BodyLength(remaining - 4);
        Body({"Property", "Property", name, true}, length / 2 + 1);
        Line(Scope() + "Property " + (object ? "Set " : "Let ") + name + "(ByVal NewValue As " +
             type + ")");
        Body({"Property", "Property", name, false}, length / 2 + 1);
    }

    // One procedure declared in two ways under #If, as 64-bit Office code does.
    void AlternativeDeclarations(int remaining) {
        Declared d{"Function", "Function", UniqueName("Handle" + Noun()), true};
        Above(d.name);
        Line("#If VBA7 Then");
        Line("Private Function " + d.name + "(ByVal hWnd As LongPtr) As LongPtr");
        Line("#Else");
        Line("Private Function " + d.name + "(ByVal hWnd As Long) As Long");
        Line("#End If");
        Body(d, BodyLength(remaining));
    }

    // The body up to the End statement, and a blank line after it.
    void Body(const Declared& d, int length) {
        const bool markedHandler = random_.Chance(3);
        const bool ownHandler = !markedHandler && random_.Chance(20);
        if (markedHandler) {
            Line("' [Brindle Begin]");
            Line("    On Error GoTo ErrHandler");
            Line("' [Brindle End]");
        } else if (ownHandler) {
            Line("    On Error GoTo " + d.name + "_Err");
        }
        const int end = lines_ + length;
        for (int i = random_.Between(0, 3); i > 0; --i) {
            Indented(1, "Dim " + UniqueLocal() + " As " + Type());
        }
        while (lines_ < end) {
            Statement(d, 1, end);
        }
        if (d.returns) {
            Indented(1, d.name + " = " + Value());
        }
        if (markedHandler) {
            Line("' [Brindle Begin]");
            Line("    Exit " + d.exitWord);
            Line("ErrHandler:");
            Line("    Err.Raise Err.Number, \"" + name_ + "." + d.name + "\", Err.Description");
            Line("' [Brindle End]");
        } else if (ownHandler) {
            Indented(1, "Exit " + d.exitWord);
            Line(d.name + "_Err:");
            Indented(1, "LogError \"" + name_ + "." + d.name + "\", Err.Number, Err.Description");
        }
        Line("End " + d.keyword);
        Line("");
    }

    std::string UniqueLocal() { return "l" + Noun() + std::to_string(++locals_); }

    std::string Value() {
        switch (random_.Between(0, 4)) {
            case 0:
                return std::to_string(random_.Between(0, 1000));
            case 1:
                return "\"" + Text() + "\"";
            case 2:
                return "m_Count + " + std::to_string(random_.Between(1, 9));
            case 3:
                return "Format$(Now, \"yyyy-mm-dd\")";
            default:
                return "CLng(Val(\"" + std::to_string(random_.Between(1, 99)) + "\"))";
        }
    }

    void Statement(const Declared& d, int depth, int end) {
        const bool room = end - lines_ > 4 && depth < 4;
        switch (random_.Between(0, room ? 11 : 5)) {
            case 0:
                Indented(depth, "m_Count = m_Count + 1 ' running total");
                break;
            case 1:
                Indented(depth, "LogMessage \"" + Text() + "\" & " + Noun() + "Id, vbInformation");
                break;
            case 2:
                Indented(depth, "If m_Count < 0 Then Exit " + d.exitWord);
                break;
            case 3:
                Indented(depth, "' " + Comment());
                break;
            case 4:
                Indented(depth, "sText = \"" + Text() + "\" & vbCrLf & _");
                Indented(depth + 2, "\"" + Text() + "\"");
                break;
            case 5:
                // Now and then a marker's text where it makes no marker line.
                Indented(depth, random_.Chance(5)
                                    ? "Debug.Print \"' [Brindle End]\" ' [Brindle Begin]"
                                    : "Debug.Print \"" + Text() + "\"");
                break;
            case 6:
                Indented(depth, "If m_Count > " + std::to_string(random_.Between(1, 99)) + " Then");
                Block(d, depth + 1, end);
                if (random_.Chance(40)) {
                    Indented(depth, "Else");
                    Block(d, depth + 1, end);
                }
                Indented(depth, "End If");
                break;
            case 7:
                Indented(depth, "For i = 1 To UBound(m_Items)");
                Block(d, depth + 1, end);
                Indented(depth, "Next i");
                break;
            case 8:
                Indented(depth, "Select Case m_Count");
                Indented(depth, "Case 1, 2");
                Block(d, depth + 1, end);
                Indented(depth, "Case Else");
                Block(d, depth + 1, end);
                Indented(depth, "End Select");
                break;
            case 9:
                Indented(depth, "Do While Not rs.EOF");
                Block(d, depth + 1, end);
                Indented(depth, "    rs.MoveNext");
                Indented(depth, "Loop");
                break;
            case 10:
                Indented(depth, "With m_" + Noun());
                Indented(depth + 1, "." + Noun() + " = " + Value());
                Block(d, depth + 1, end);
                Indented(depth, "End With");
                break;
            default:
                Indented(depth, "sSql = \"SELECT * FROM " + Noun() + "s WHERE Note = 'End " +
                                    d.keyword + "'\"");
                break;
        }
    }

    void Block(const Declared& d, int depth, int end) {
        for (int i = random_.Between(1, 3); i > 0 && lines_ < end; --i) {
            Statement(d, depth, end);
        }
    }

    ModuleKind kind_;
    std::string name_;
    Random& random_;
    std::string text_;
    int lines_ = 0;
    int locals_ = 0;
    bool defaultMember_ = false;
    std::set<std::string> names_;
    std::vector<std::string> controls_;
    bool hasFrx_ = false;
};

struct KindInfo {
    ModuleKind kind;
    const char* prefix;
    const char* folder;
    const char* extension;
    const char* key;  // of the project file's line
};

constexpr KindInfo kKinds[] = {
    {ModuleKind::Standard, "mod", "Modules", ".bas", "Module"},
    {ModuleKind::Class, "c", "Classes", ".cls", "Class"},
    {ModuleKind::Form, "frm", "Forms", ".frm", "Form"},
    {ModuleKind::UserControl, "ctl", "Controls", ".ctl", "UserControl"},
};

const KindInfo& KindOf(int roll) {
    // Of a hundred modules: 45 standard modules, 35 classes, 15 forms, 5 user controls.
    return roll < 45 ? kKinds[0] : roll < 80 ? kKinds[1] : roll < 95 ? kKinds[2] : kKinds[3];
}

// Sizes spread evenly over the logarithm from 40 to 4,000 lines, as most modules are small;
// a project of 100,000 lines or more has a module of 30,000 lines for each 330,000.
std::vector<int> ModuleSizes(std::int64_t lines, Random& random) {
    std::vector<int> sizes;
    std::int64_t left = lines;
    if (lines >= 100000) {
        for (std::int64_t n = (lines + 329999) / 330000; n > 0; --n) {
            sizes.push_back(30000);
            left -= 30000;
        }
    }
    while (left > 0) {
        const double exponent = std::log(40.0) + (std::log(4000.0) - std::log(40.0)) *
                                                     static_cast<double>(random.Next() % 10000) /
                                                     10000.0;
        const auto size =
            static_cast<int>(std::min<std::int64_t>(std::lround(std::exp(exponent)), left));
        sizes.push_back(std::max(size, 40));
        left -= sizes.back();
    }
    // The big ones somewhere in the project rather than first.
    for (std::size_t i = sizes.size(); i > 1; --i) {
        std::swap(sizes[i - 1], sizes[random.Next() % i]);
    }
    return sizes;
}

std::string Frx(Random& random) {
    std::string bytes(static_cast<std::size_t>(random.Between(300, 3000)), '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random.Next() & 0xFF);
    }
    return bytes;
}

}  // namespace

std::string GenerateModule(ModuleKind kind, const std::string& name, int lines, Random& random) {
    return ModuleBuilder(kind, name, random).Build(lines);
}

std::vector<GeneratedFile> GenerateProject(std::int64_t lines, std::uint64_t seed) {
    Random random(seed);
    std::vector<GeneratedFile> files;
    std::string project =
        "Type=Exe\r\n"
        "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\..\\Windows\\SysWOW64\\"
        "stdole2.tlb#OLE Automation\r\n"
        "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX\r\n";
    std::set<std::string> names;
    int index = 0;
    for (const int size : ModuleSizes(lines, random)) {
        const KindInfo& info = size >= 30000 ? kKinds[index % 3] : KindOf(random.Between(0, 99));
        std::string name = std::string(info.prefix) + random.Pick(kNouns) + random.Pick(kNouns);
        while (!names.insert(name).second) {
            name += std::to_string(index);
        }
        ++index;
        const std::string file = std::string(info.folder) + "/" + name + info.extension;
        ModuleBuilder builder(info.kind, name, random);
        files.push_back({file, builder.Build(size)});
        if (builder.HasFrx()) {
            files.push_back({std::string(info.folder) + "/" + name + ".frx", Frx(random)});
        }
        std::string windowsPath = file;
        std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
        project += std::string(info.key) + "=" +
                   (info.kind == ModuleKind::Form || info.kind == ModuleKind::UserControl
                        ? windowsPath
                        : name + "; " + windowsPath) +
                   "\r\n";
    }
    project +=
        "Startup=\"Sub Main\"\r\nHelpFile=\"\"\r\nTitle=\"Generated\"\r\nCommand32=\"\"\r\n"
        "Name=\"Generated\"\r\nHelpContextID=\"0\"\r\nCompatibleMode=\"0\"\r\nMajorVer=1\r\n"
        "MinorVer=0\r\nRevisionVer=0\r\nAutoIncrementVer=0\r\nServerSupportFiles=0\r\n"
        "VersionCompanyName=\"M\xFCller & S\xF6hne\"\r\n";
    files.push_back({"Project.vbp", project});
    return files;
}

ProjectSummary WriteProject(const fs::path& folder, const std::vector<GeneratedFile>& files) {
    ProjectSummary summary;
    for (const auto& file : files) {
        const fs::path path = folder / fs::path(file.path);
        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
        if (!out) {
            throw std::runtime_error("cannot write " + path.string());
        }
        summary.bytes += static_cast<std::int64_t>(file.bytes.size());
        const auto extension = path.extension();
        if (extension == ".frx" || extension == ".vbp") {
            continue;
        }
        const auto lines = static_cast<int>(std::count(file.bytes.begin(), file.bytes.end(), '\n'));
        ++summary.modules;
        summary.lines += lines;
        summary.largestModule = std::max(summary.largestModule, lines);
    }
    return summary;
}

}  // namespace brindle::bench
