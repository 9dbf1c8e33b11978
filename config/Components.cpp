#include "config/Components.h"

#include "base/Numbers.h"
#include "config/ConfigReader.h"

#include <memory>

namespace qvr {

int32_t ReadComponents(TQvrComponentList& list, std::istream& in) {
    return ReadEntries(list, in, ReadComponent);
}

bool ReadComponent(TQvrComponent& component, std::istream& in) {
    const std::streampos entrySearchStart = ReadPosition(in);
    // One working pair, built empty: a line without "=" gets an empty value.
    auto pair = std::make_unique<TQvrValuePair>();
    bool found = false;
    while (!found && !in.eof()) {
        const std::string line = Trim(ReadConfigLine(in));
        if (line.empty()) {
            continue;
        }
        pair->Parse(line);
        if (pair->Name == "cn") {
            found = true;
        } else if (IsOneOf(pair->Name, {"qvr", "colors", "modifiers"})) {
            break;
        }
    }
    if (!found) {
        StepBack(in, entrySearchStart);
        return false;
    }
    component.Name = pair->Value;

    ForEachBlockLine(in, [&](const std::string& line, std::streampos start) {
        pair->Parse(line);
        const bool bare = pair->Value == pair->NoValue;
        if (pair->Name == "cid") {
            component.Id = StrToIntDef(pair->Value, 0);
        } else if (pair->Name == "types" && bare) {
            ReadTypeNames(component, in);
        } else if (pair->Name == "params" && bare) {
            ReadTypes(component.Types, in);
        } else if (IsOneOf(pair->Name, {"qvr", "modifiers", "colors", "cn"}) ||
                   pair->Name == pair->NoValue) {
            StepBack(in, start);
            return false;
        } else {
            std::string name = pair->Name;
            component.Properties.Add(std::move(name), std::move(pair));
            pair = std::make_unique<TQvrValuePair>();
        }
        return true;
    });
    return true;
}

} // namespace qvr
