#include "base/ExceptionText.h"

#include <new>

namespace qvr {

std::string StandardExceptionText(const std::string& message) {
    if (!message.empty() && message.back() == '.') {
        return message;
    }
    return message + '.';
}

std::string ExceptionMessage(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
        return "Out of memory";
    }
    return e.what();
}

} // namespace qvr
