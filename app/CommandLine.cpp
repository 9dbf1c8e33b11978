#include "app/CommandLine.h"

namespace qvr {

std::string CutCommandLineTail(const std::string& tail) {
    std::string s = tail;
    if (!s.empty() && s.front() == '"') {
        s.erase(0, 1);
        const auto quote = s.find('"');
        if (quote != std::string::npos) {
            s.resize(quote);
            return s;
        }
    }
    const auto space = s.find(' ');
    if (space != std::string::npos) {
        s.resize(space);
    }
    return s;
}

} // namespace qvr
