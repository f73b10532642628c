#pragma once
// Persistence of the options and loading of the four template files.

#include <string>

#include "host/model/Runtime.h"
#include "templates/AddinFields.h"

namespace brindle {

inline constexpr const char* kAppName = "VBBrindle";

void LoadOptions(SettingsStore& store, AddinFields& fields);
void SaveOptions(SettingsStore& store, const AddinFields& fields);
void LoadTemplates(TemplateFiles& files, const std::string& modHdrFname,
                   const std::string& procHdrFname, const std::string& errHdrFname,
                   const std::string& errFtrFname, AddinFields& fields);

}  // namespace brindle
