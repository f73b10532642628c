#pragma once
// The development environment's extensibility object model, as the core sees it.
// Lines and columns are 1-based; a column counts bytes of its line. Text is kept in the module
// file's own 8-bit code page and never transcoded. A failing operation raises VbError with the
// IDE's numbers: 35 for a procedure name or kind the module lacks, 9 for a line outside the
// module, 5 for a bad argument, 91 for an object that is not there.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace brindle {

enum vbext_ProcKind : std::int32_t {
    vbext_pk_Proc = 0,  // Sub or Function
    vbext_pk_Let = 1,
    vbext_pk_Set = 2,
    vbext_pk_Get = 3,
};

enum vbext_MemberType : std::int32_t {
    vbext_mt_Method = 1,    // Sub, Function, Declare
    vbext_mt_Property = 2,  // Get, Let and Set of one name are one member
    vbext_mt_Variable = 3,
    vbext_mt_Event = 4,
    vbext_mt_Const = 5,
};

enum vbext_WindowType : std::int32_t {
    vbext_wt_CodeWindow = 0,
    vbext_wt_Designer = 1,
    vbext_wt_Browser = 2,
    vbext_wt_Watch = 3,
    vbext_wt_Locals = 4,
    vbext_wt_Immediate = 5,
    vbext_wt_ProjectWindow = 6,
    vbext_wt_PropertyWindow = 7,
    vbext_wt_Find = 8,
    vbext_wt_FindReplace = 9,
    vbext_wt_Toolbox = 10,
    vbext_wt_LinkedWindowFrame = 11,
    vbext_wt_MainWindow = 12,
    vbext_wt_Preview = 13,
    vbext_wt_ColorPalette = 14,
    vbext_wt_ToolWindow = 15,
};

enum vbext_ComponentType : std::int32_t {
    vbext_ct_StdModule = 1,
    vbext_ct_ClassModule = 2,
    vbext_ct_MSForm = 3,
    vbext_ct_ResFile = 4,
    vbext_ct_VBForm = 5,
    vbext_ct_VBMDIForm = 6,
    vbext_ct_PropPage = 7,
    vbext_ct_UserControl = 8,
    vbext_ct_DocObject = 9,
    vbext_ct_RelatedDocument = 10,
    vbext_ct_ActiveXDesigner = 11,
    // The VBA editor's only: a document's own module (ThisWorkbook, Sheet1, ThisDocument).
    vbext_ct_Document = 100,
};

// The VBA editor's only: a project locked for viewing refuses its components.
enum vbext_ProjectProtection : std::int32_t {
    vbext_pp_none = 0,
    vbext_pp_locked = 1,
};

class CodeModule;
class CodePane;
class VBComponent;
class VBProject;
class Window;

class Member {
public:
    virtual ~Member() = default;
    virtual std::string Name() const = 0;
    virtual vbext_MemberType Type() const = 0;
};

class Members {
public:
    virtual ~Members() = default;
    virtual std::int32_t Count() const = 0;
    // By name, compared without regard to case; an unknown name raises 5.
    virtual std::shared_ptr<const Member> Item(std::string_view name) const = 0;
    // By 1-based index, in the order the members are declared.
    virtual std::shared_ptr<const Member> Item(std::int32_t index) const = 0;
};

class CodeModule {
public:
    virtual ~CodeModule() = default;

    virtual brindle::VBComponent& Parent() = 0;
    virtual brindle::CodePane& CodePane() = 0;
    virtual brindle::Members& Members() = 0;

    virtual std::int32_t CountOfLines() const = 0;
    // Lines startLine .. startLine + count - 1 joined by CR LF, without a final line break.
    virtual std::string Lines(std::int32_t startLine, std::int32_t count) const = 0;
    // Text is broken at CR LF, lone CR and lone LF; its first line becomes line `line`.
    // A line one past the end appends.
    virtual void InsertLines(std::int32_t line, std::string_view text) = 0;
    virtual void DeleteLines(std::int32_t startLine, std::int32_t count = 1) = 0;

    virtual std::int32_t ProcStartLine(std::string_view name, vbext_ProcKind kind) = 0;
    virtual std::int32_t ProcBodyLine(std::string_view name, vbext_ProcKind kind) = 0;
    virtual std::int32_t ProcCountLines(std::string_view name, vbext_ProcKind kind) = 0;
    // "" for a line of the declarations section.
    virtual std::string ProcOfLine(std::int32_t line, vbext_ProcKind& kind) = 0;

    // Plain-text search from the start position to the module's end, whatever end position is
    // passed. On a match the four bounds hold its start and its end (end column one past it).
    virtual bool Find(std::string_view target, std::int32_t& startLine, std::int32_t& startColumn,
                      std::int32_t& endLine, std::int32_t& endColumn, bool wholeWord = false,
                      bool matchCase = false, bool patternSearch = false) = 0;

    // Converts UTF-8 text (from the settings) into this module's code page; a character with no
    // byte there becomes "?".
    virtual std::string FromUnicode(std::string_view utf8) const = 0;
    // Converts text of this module (a name, a line) into UTF-8, to tell the user.
    virtual std::string ToUnicode(std::string_view text) const = 0;
};

class CodePane {
public:
    virtual ~CodePane() = default;
    virtual brindle::CodeModule& CodeModule() = 0;
    virtual void GetSelection(std::int32_t& startLine, std::int32_t& startColumn,
                              std::int32_t& endLine, std::int32_t& endColumn) const = 0;
    virtual void SetSelection(std::int32_t startLine, std::int32_t startColumn,
                              std::int32_t endLine, std::int32_t endColumn) = 0;
};

class VBComponent {
public:
    virtual ~VBComponent() = default;
    virtual std::string Name() const = 0;
    virtual vbext_ComponentType Type() const = 0;
    // Raises for a component without code (a resource file, a related document).
    virtual brindle::CodeModule& CodeModule() = 0;
};

class VBComponents {
public:
    virtual ~VBComponents() = default;
    virtual std::int32_t Count() const = 0;
    // 1-based, in the project file's order; out of range raises 9.
    virtual VBComponent& Item(std::int32_t index) = 0;
};

class VBProject {
public:
    virtual ~VBProject() = default;
    virtual std::string Name() const = 0;
    virtual brindle::VBComponents& VBComponents() = 0;
    // An IDE that locks no project (the VB6 IDE) answers vbext_pp_none.
    virtual vbext_ProjectProtection Protection() const { return vbext_pp_none; }
};

class Window {
public:
    virtual ~Window() = default;
    virtual std::string Caption() const = 0;
    virtual vbext_WindowType Type() const = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void Close() = 0;
};

class Windows {
public:
    virtual ~Windows() = default;
    virtual std::int32_t Count() const = 0;
    // 1-based; out of range raises 9. Closing a window removes it from the list.
    virtual std::shared_ptr<Window> Item(std::int32_t index) = 0;
};

class CommandBars;
class Events;
class Addins;

class VBE {
public:
    virtual ~VBE() = default;
    // Null when no code pane has the focus, or no project is open.
    virtual brindle::CodePane* ActiveCodePane() = 0;
    virtual VBProject* ActiveVBProject() = 0;
    virtual brindle::Windows& Windows() = 0;
    virtual brindle::CommandBars& CommandBars() = 0;
    virtual brindle::Events& Events() = 0;
    virtual brindle::Addins& Addins() = 0;
};

}  // namespace brindle
