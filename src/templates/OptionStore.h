#pragma once
// Persistence of the options and loading of the four template files.

#include <string>
#include <string_view>

#include "model/AddinName.h"
#include "model/Runtime.h"
#include "model/SettingsKeys.h"
#include "templates/AddinFields.h"

namespace brindle {

// The application the options are kept under in the settings store.
inline constexpr std::string_view kAppName = settings::kApp;

// The author where the settings hold none; a host's store answers with the user's own name.
inline constexpr const char* kDefaultAuthor = "";
inline constexpr const char* kDefaultLastDir = "C:\\";

// Reads the eight options, then "Skip Existing" and "Excluded Procedures" (the patterns are only
// read: nothing edits them), each with its default when absent. A Boolean whose text is not a
// Boolean takes its default and the remaining keys load all the same.
void LoadOptions(SettingsStore& store, AddinFields& fields);
// Writes the eight options and "Skip Existing"; Booleans as "True" or "False". A stored Boolean
// text is kept while it reads as the field's value, or could not be read and the field holds the
// default it loaded as. Given the fields as they were loaded, writes only the options that
// differ from them, so that what another program stored meanwhile stays.
void SaveOptions(SettingsStore& store, const AddinFields& fields,
                 const AddinFields* loaded = nullptr);
// Sets the four template texts from the files: each line followed by one LF. A file that cannot
// be read leaves its text empty; one the files refuse as no text also, and says why in
// `fields.templateRefusals`.
void LoadTemplates(TemplateFiles& files, const std::string& modHdrFname,
                   const std::string& procHdrFname, const std::string& errHdrFname,
                   const std::string& errFtrFname, AddinFields& fields);

}  // namespace brindle
