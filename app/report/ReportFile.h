#pragma once

#include <string>

namespace qvr {

// The name of the report file in the viewer's private folder (see TPrivateFolder): each
// running viewer has a folder, and so a report file, of its own.
inline constexpr const char* ReportFileTitle = "__tmp__.html";

// Writes the document byte for byte, whole or not at all: a new file is renamed over `path`,
// and nothing found at `path` is ever written into (a link there is replaced, not followed).
// False when the file cannot be written.
bool WriteReportFile(const std::string& path, const std::string& document);

} // namespace qvr
