#include "config/Modifiers.h"

#include "base/Numbers.h"
#include "config/ConfigReader.h"

#include <memory>

namespace qvr {

int32_t ReadModifiers(TQvrModifierList& list, std::istream& in) {
    return ReadEntries(list, in, ReadModifier);
}

bool ReadModifier(TQvrModifier& modifier, std::istream& in) {
    // Only a "mn" line starts an entry; no header ends the search.
    auto pair = FindEntryStart(in, "mn", {});
    if (!pair) {
        return false;
    }
    modifier.Name = pair->Value;

    ForEachBlockLine(in, [&](const std::string& line, std::streampos start) {
        pair->Parse(line);
        if (pair->Name == "mid") {
            modifier.Id = StrToIntDef(pair->Value, 0);
        } else if (pair->Name == "params" && pair->Value == pair->NoValue) {
            ReadParams(modifier.Params, in);
        } else if (IsOneOf(pair->Name, {"qvr", "components", "colors", "cn", "mn", "fx"}) ||
                   pair->Name == pair->NoValue) {
            StepBack(in, start);
            return false;
        } else {
            std::string name = pair->Name;
            modifier.Properties.Add(std::move(name), std::move(pair));
            pair = std::make_unique<TQvrValuePair>();
        }
        return true;
    });
    return true;
}

} // namespace qvr
