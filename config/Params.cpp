#include "config/Params.h"

#include "base/Numbers.h"
#include "config/ConfigErrors.h"
#include "config/ConfigReader.h"
#include "config/ValuePair.h"

#include <memory>

namespace qvr {

namespace {

// "items" values: every piece between commas, untrimmed, empty ones included.
void AppendItems(std::vector<std::string>& items, const std::string& value) {
    size_t from = 0;
    for (size_t comma = value.find(','); comma != std::string::npos;
         comma = value.find(',', from)) {
        items.push_back(value.substr(from, comma - from));
        from = comma + 1;
    }
    items.push_back(value.substr(from));
}

} // namespace

int32_t ReadParams(TQvrParamList& list, std::istream& in) {
    int32_t count = 0;
    ForEachBlockLine(in, [&](const std::string& line, std::streampos start) {
        const TQvrValuePair pair(line);
        if (pair.Name == "pn") {
            auto param = std::make_unique<TQvrParam>();
            param->Name = pair.Value;
            ReadParamFields(*param, in);
            std::string name = param->Name;
            list.Add(std::move(name), std::move(param));
            ++count;
        } else if (IsOneOf(pair.Name, {"cn", "tid", "qvr", "fx", "modifiers", "mn"})) {
            StepBack(in, start);
            return false;
        }
        return true;
    });
    return count;
}

void ReadParamFields(TQvrParam& param, std::istream& in) {
    ForEachBlockLine(in, [&](const std::string& line, std::streampos start) {
        const TQvrValuePair pair(line);
        const std::string& name = pair.Name;
        const std::string& value = pair.Value;
        if (name == "max") {
            param.Max = StrToIntDef(value, 0);
        } else if (name == "lnk") {
            param.Lnk = value == "T";
        } else if (name == "grp") {
            param.Grp = value == "T";
        } else if (name == "arr") {
            param.Arr = value == "T";
        } else if (name == "bl") {
            param.Bl = value == "T";
        } else if (name == "st") {
            param.St = value;
        } else if (name == "scswp") {
            param.ScaleSwitch = StrToFloatDot(value);
        } else if (name == "scm") {
            param.ScaleMul = StrToFloatDot(value);
        } else if (name == "sca") {
            param.ScaleAdd = StrToFloatDot(value);
        } else if (name == "scmhi") {
            param.ScaleMulHigh = StrToFloatDot(value);
        } else if (name == "scahi") {
            param.ScaleAddHigh = StrToFloatDot(value);
        } else if (name == "maxtxt") {
            param.MaxText = value;
        } else if (name == "items") {
            AppendItems(param.Items, value);
            if (param.Items.size() > MaxParamItems) {
                throw EQvrInvalidConfigFile("Parameter '" + param.Name + "' has more than " +
                                            std::to_string(MaxParamItems) + " items.");
            }
        } else if (IsOneOf(name, {"cn", "tid", "qvr", "fx", "modifiers", "pn", "mn"})) {
            StepBack(in, start);
            return false;
        }
        return true;
    });
}

} // namespace qvr
