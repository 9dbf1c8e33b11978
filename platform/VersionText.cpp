#include "platform/VersionText.h"

#include "platform/Progverinfo.h"
#include "platform/Version.h"

namespace qvr {

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
    return text;
}

} // namespace qvr
