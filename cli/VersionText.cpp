#include "cli/VersionText.h"

#include "platform/Progverinfo.h"

namespace qvr {

std::string VersionText() {
    const TVerInfo info;
    std::string product = info.GetProductName();
    std::string version = info.GetProductVersion();
    // Should the program file be unreadable, the build's own version still answers.
    if (product.empty()) {
        product = "Oktrel(tm) Preset Viewer";
    }
    if (version.empty()) {
        version = QVR_VERSION;
    }
    std::string text = "qvrreport (" + product + ") " + version + "\n";
    for (const std::string& line : {info.GetCopyright(), info.GetComments()}) {
        if (!line.empty()) {
            text += line + "\n";
        }
    }
    return text;
}

} // namespace qvr
