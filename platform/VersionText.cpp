#include "platform/VersionText.h"

#include "platform/Progverinfo.h"
#include "platform/Version.h"

namespace qvr {

namespace {

// The package's licence (LICENSE), as GNU programs state it.
const char* const LicenceText =
    "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

} // namespace

std::string VersionText(const std::string& program) {
    const TVerInfo info;
    std::string product = info.GetProductName();
    // Should the program file be unreadable, the build's own name still answers.
    if (product.empty()) {
        product = "Oktrel(tm) Preset Viewer";
    }
    std::string text = program + " (" + product + ") " + ProgramVersion + "\n";
    for (const std::string& line : {info.GetCopyright(), info.GetComments()}) {
        if (!line.empty()) {
            text += line + "\n";
        }
    }
    return text + LicenceText;
}

} // namespace qvr
