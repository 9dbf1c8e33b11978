#pragma once

#include <string>

namespace qvr {

// How the core talks to the user: the viewer shows modal message boxes, the
// exporter writes lines to standard error, the tests record the calls.
// Texts are 8-bit (code page 1252) and may hold line feeds.
class IUserNotifier {
public:
    virtual ~IUserNotifier() = default;
    virtual void ShowError(const std::string& text) = 0;
    virtual void ShowWarning(const std::string& text) = 0;
};

} // namespace qvr
