#include "app/ExceptionDisplay.h"

namespace qvr {

std::string StandardExceptionText(const std::string& message) {
    if (!message.empty() && message.back() == '.') {
        return message;
    }
    return message + '.';
}

} // namespace qvr
