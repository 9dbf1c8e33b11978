#pragma once

#include <string>

namespace qvr {

inline constexpr const char* ReportFileTitle = "__tmp__.html";

// The report file lies in the program's folder; where that folder is not
// writable (an installed program) it goes to the user's cache folder instead.
std::string ReportFilePath(const std::string& programFolder);

// Writes the document byte for byte; false when the file cannot be written.
bool WriteReportFile(const std::string& path, const std::string& document);

} // namespace qvr
