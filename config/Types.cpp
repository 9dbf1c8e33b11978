#include "config/Types.h"

#include "base/Numbers.h"
#include "config/Components.h"
#include "config/ConfigErrors.h"
#include "config/ConfigReader.h"
#include "config/ValuePair.h"

namespace qvr {

int32_t ReadTypeNames(TQvrComponent& component, std::istream& in) {
    int32_t count = 0;
    ForEachBlockLine(in, [&](const std::string& line, std::streampos start) {
        TQvrValuePair pair(line);
        if (pair.Name == "tn") {
            // A type name is useless without its id: the next non-empty line
            // must be the "tid" line, and it is consumed for good.
            const std::string typeName = pair.Value;
            if (in.eof()) {
                throw EQvrInvalidConfigFile(
                    "Premature EOF while locating 'tid' for 'tn = " + typeName + "'.");
            }
            std::string next;
            do {
                next = Trim(ReadConfigLine(in));
            } while (next.empty() && !in.eof());
            pair.Parse(next);
            if (pair.Name != "tid") {
                throw EQvrInvalidConfigFile("Could not find 'tid' after 'tn = " + typeName + "'.");
            }
            component.TypeNames.push_back(TQvrTypeName{typeName, StrToIntDef(pair.Value, 0)});
            ++count;
        } else if (pair.Name == "tpn") {
            component.TypeLabel = pair.Value;
        } else if (IsOneOf(pair.Name, {"params", "cn", "qvr", "fx", "modifiers"})) {
            StepBack(in, start);
            return false;
        }
        return true;
    });
    return count;
}

void ReadTypes(TQvrTypeList& list, std::istream& in) {
    ForEachBlockLine(in, [&](const std::string& line, std::streampos start) {
        const TQvrValuePair pair(line);
        if (pair.Name == "tid") {
            auto type = std::make_unique<TQvrType>();
            type->Id = StrToIntDef(pair.Value, 0);
            ReadParams(type->Params, in);
            list.Add(std::move(type));
        } else if (IsOneOf(pair.Name, {"cn", "qvr", "fx", "modifiers"})) {
            StepBack(in, start);
            return false;
        }
        return true;
    });
}

} // namespace qvr
