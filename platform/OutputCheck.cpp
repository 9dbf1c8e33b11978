#include "platform/OutputCheck.h"

#include "platform/Regaccess.h"
#include "platform/SameFile.h"

namespace qvr {

std::string TOutputClash::Text() const {
    switch (Kind) {
    case TKind::Input:
        return "the preset file '" + Path + "'";
    case TKind::Configuration:
        return "the configuration file '" + Path + "'";
    case TKind::Settings:
        return "the settings file '" + Path + "'";
    }
    return {};
}

std::optional<TOutputClash> FindOutputClash(const std::string& output,
                                            const std::vector<std::string>& inputs,
                                            const std::vector<std::string>& configFiles) {
    using TKind = TOutputClash::TKind;
    for (const std::string& input : inputs) {
        if (IsSameFile(output, input)) {
            return TOutputClash{TKind::Input, output};
        }
    }
    for (const std::string& config : configFiles) {
        if (IsSameFile(output, config)) {
            return TOutputClash{TKind::Configuration, config};
        }
    }
    const TRegistryLocation settings = CurrentRegistryLocation();
    for (const std::string& file : {settings.UserFile, settings.SystemFile}) {
        if (IsSameFile(output, file)) {
            return TOutputClash{TKind::Settings, file};
        }
    }
    return std::nullopt;
}

} // namespace qvr
