#pragma once

#include <QString>

#include <string>

namespace qvr {

// Text inside the system is 8-bit, code page 1252; these convert at the Qt boundary.
QString FromAnsi(const std::string& text);

// Messages may carry a file name, which on this platform is UTF-8; a text that is
// valid UTF-8 with non-ASCII bytes is taken as UTF-8, any other as code page 1252.
QString FromMessageText(const std::string& text);

// File names go to the core as the bytes the file system uses.
std::string ToFileNameBytes(const QString& path);
QString FromFileNameBytes(const std::string& path);

} // namespace qvr
