#pragma once
// The text of an INI file as QSettings writes and reads it, so that one settings file means the
// same to Brindle wherever it runs, with or without Qt: sections and keys escaped as %XX and
// %UXXXX, values in UTF-8 with backslash escapes and in quotes where they need them. Or, in the
// plain form, as a person writes one and Windows reads it: a line an entry, every character as
// it stands (a backslash is a backslash). Editing a value keeps every other line of the file,
// comments included.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::host {

// Plain: sections, keys and values as written, without the blanks around them; a line that
// starts with ";" or "#" is a comment, and so is what follows a ";" after a blank in a value.
enum class IniForm { QSettings, Plain };

class IniFile {
public:
    // `lineBreak` is what SetValue ends lines with in a text that has no line break yet.
    explicit IniFile(std::string text = {}, IniForm form = IniForm::QSettings,
                     std::string_view lineBreak = "\r\n");

    // The value of `key` in `section`, letter case ignored; for a key given more than once, the
    // last. Nothing when there is none. A list (values separated by bare commas) is joined by
    // ", ".
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // Replaces the key's value, or adds the key at the end of its section, or the section at
    // the end of the file.
    // False, the text unchanged, when no line can hold it there: a quote above that is never
    // closed runs to the end of the file.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);

    const std::string& Text() const { return text_; }

    // The plain form's lines that say something, in order, with their line numbers: section
    // headers, entries, and lines that are neither (nor comments nor blank).
    struct Item {
        enum class Kind { Section, Entry, Other };
        Kind kind = Kind::Entry;
        std::string section;
        std::string key;  // the line as written for Other
        std::string value;
        int line = 0;
    };
    std::vector<Item> Items() const;

private:
    struct Entry {
        std::string section;  // unescaped
        std::string key;      // unescaped; empty for a section's header line
        std::size_t begin = 0;
        std::size_t end = 0;  // of the line, without its line break
        std::string value;    // as it stands in the file; in the plain form, the value
        int line = 0;         // plain form only
    };

    void Parse();
    void ParsePlain();
    const Entry* Find(std::string_view section, std::string_view key) const;
    std::string LineBreak() const;

    std::string text_;
    IniForm form_;
    std::string newLineBreak_;
    std::vector<Entry> entries_;
    std::vector<Item> others_;  // plain form only
};

}  // namespace brindle::host
