#pragma once

#include <cstddef>
#include <string>

namespace qvr {

// Reads string values of the version resource compiled into a program file (see
// platform/VersionBlob.h). Only the string table "040904E4" (US English, code page 1252) is
// looked at; strings stored under another language or code page are not found.
class TVerInfo {
public:
    TVerInfo(); // the running program file
    explicit TVerInfo(std::string fileName);

    std::string FileName;

    // The value of "\StringFileInfo\040904E4\" + name, or empty when the file, the resource
    // or the value is missing or the resource is damaged.
    std::string GetVersionString(const std::string& name) const;
    std::string GetProductName() const { return GetVersionString("ProductName"); }
    std::string GetProductVersion() const { return GetVersionString("ProductVersion"); }
    std::string GetCopyright() const { return GetVersionString("LegalCopyright"); }
    std::string GetComments() const { return GetVersionString("Comments"); }
};

// Size of the pieces in which the program file is searched.
inline constexpr size_t VersionScanChunkSize = 64 * 1024;

} // namespace qvr
