#include "config/Components.h"

#include "base/Numbers.h"
#include "config/ConfigReader.h"

#include <memory>

namespace qvr {

int32_t ReadComponents(TQvrComponentList& list, std::istream& in) {
    return ReadEntries(list, in, ReadComponent);
}

bool ReadComponent(TQvrComponent& component, std::istream& in) {
    auto pair = FindEntryStart(in, "cn", {"qvr", "colors", "modifiers"});
    if (!pair) {
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
