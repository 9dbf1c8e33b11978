#include "config/ValuePair.h"

#include "base/Errors.h"
#include "base/Text.h"

namespace qvr {

TQvrValuePair::TQvrValuePair(std::string_view line) : NoValue("(none)") {
    Parse(line);
}

void TQvrValuePair::Parse(std::string_view line) {
    Line = Trim(line);
    const size_t equals = Line.find('=');
    if (equals == std::string::npos) {
        Name = Line;
        Value = NoValue;
        return;
    }
    Name = Trim(std::string_view(Line).substr(0, equals));
    Value = Trim(std::string_view(Line).substr(equals + 1));
    // A value needs at least one character, and one besides an opening quote: an empty value
    // is a range error, so the file's author learns of it instead of getting an empty text.
    if (Value.empty()) {
        throw ERangeError();
    }
    if (Value.front() == '"') {
        Value.erase(0, 1);
    }
    if (Value.empty()) {
        throw ERangeError();
    }
    if (Value.back() == '"') {
        Value.pop_back();
    }
}

} // namespace qvr
