#pragma once
// The code page the user stored as the default of the command line, which the workbench and a
// project without a code page of its own take too.

#include <stdexcept>
#include <string>
#include <utility>

#include "model/Runtime.h"

namespace brindle::host {

// The code page the user stored as the default of the command line ("Code Page" in [Command
// Line]); SystemDefaultCodePage() when none is stored. Raises UnknownCodePage for a stored text
// that is no code page Brindle knows.
int StoredDefaultCodePage(SettingsStore& store);
// Writes it only when it differs from the stored one.
void StoreDefaultCodePage(SettingsStore& store, int codePage);

class UnknownCodePage : public std::runtime_error {
public:
    explicit UnknownCodePage(std::string text)
        : std::runtime_error("unknown code page " + text), text_(std::move(text)) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace brindle::host
