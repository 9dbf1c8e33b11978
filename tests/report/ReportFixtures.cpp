#include "ReportFixtures.h"

#include <atomic>
#include <cctype>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace qvr::test {

std::string CaseName(const std::string& what) {
    std::string name;
    for (const char c : what) {
        name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    return name;
}

const char* const TestConfigText = R"(device
name = Test unit
presets
count = 100
components
fx
cn = Amp
cid = 1
types
tpn = Model
tn = Clean
tid = 10
tn = Crunch
tid = 11
params
tid = 10
pn = On/Off
pn = Gain
pn = Bass
items = Low,Mid,High
tid = 11
pn = Drive
scm = 0.5
sca = -12
cn = Cabinet
cid = 2
types
tpn = Cab
tn = 4x12
tid = 20
params
tid = 20
pn = Mic
items = Dynamic,Condenser
cn = Chorus
cid = 3
types
tpn = Type
tn = Classic
tid = 30
tn = Deep
tid = 31
params
tid = 30
pn = Rate
scm = 0.1
pn = Depth
max = 99
maxtxt = Full
tid = 31
pn = Speed
tid = 30
pn = Mix
pn = Feedback
pn = Width
cn = Input
cid = 4
types
tpn = Source
tn = Guitar
tid = 40
params
tid = 40
pn = Trim
cn = Misc
cid = 5
types
tpn = Mode
tn = Global
tid = 50
params
tid = 50
pn = Tempo
cn = Amplarium
cid = 6
types
tpn = Channel
tn = Dual
tid = 60
params
tid = 60
pn = Blend
cn = Output
cid = 7
cn = Delay
cid = 8
params
tid = 80
pn = Time
qvr
modifiers
mn = Expression
mid = 1
params
pn = Position
pn = Heel
mn = LFO 1
mid = 2
params
pn = Speed
scm = 0.1
)";

std::unique_ptr<TQvrConfig> LoadConfigText(const TTempFolder& dir, const std::string& text) {
    return std::make_unique<TQvrConfig>(dir.Write("test.cfg", text));
}

std::unique_ptr<TKorvaneQVRSysEx> BodyMessage(const std::vector<uint8_t>& bytes) {
    auto message = std::make_unique<TKorvaneQVRSysEx>();
    message->SetData(bytes);
    return message;
}

std::vector<std::string> TraceLines(const TPreset& preset, size_t firstModule) {
    std::vector<std::string> lines;
    for (size_t i = firstModule; i < preset.Modules.size(); ++i) {
        const TModule& module = preset.Modules[i];
        if (module.Heading) {
            lines.emplace_back("<br>");
            lines.push_back("<b>" + std::string(*module.Heading) + "</b>");
        }
        if (module.UserModelName) {
            lines.push_back("Name = " + std::string(*module.UserModelName));
        }
        ForEachShownLine(preset, module,
                         [&](std::string_view name, std::string_view value, TLineKind kind) {
                             lines.push_back(kind == TLineKind::Note
                                                 ? std::string(name)
                                                 : std::string(name) + " = " + std::string(value));
                         });
    }
    return lines;
}

void TTraceSink::ReportStart(std::string_view model) {
    Lines.push_back("start " + std::string(model));
}

void TTraceSink::Preset(const TPreset& preset, bool) {
    if (preset.HasHeading) {
        std::string line = "preset " + std::string(preset.Model);
        if (preset.Number) {
            line += (*preset.Number < 10 ? " #0" : " #") + std::to_string(*preset.Number);
        }
        Lines.push_back(line + " " + std::string(preset.Name));
    }
    for (std::string& line : TraceLines(preset)) {
        Lines.push_back(std::move(line));
    }
}

void TEvents::ModuleStart(std::optional<std::string_view> heading, TNameSlot slot) {
    TModule module;
    module.Kind = heading ? TModuleKind::Component : TModuleKind::Output;
    if (heading) {
        module.Heading = Builder.Store(*heading);
    }
    Builder.StartModule(module, slot);
}

void TEvents::Value(std::string_view name, std::string_view value) {
    TParameter parameter;
    parameter.Name = Builder.Store(name);
    parameter.Text = Builder.Store(value);
    Builder.Parameter(parameter);
}

std::vector<std::string> TRenderBench::AllLines() const {
    const TPreset* preset = Builder.CurrentPreset();
    return preset != nullptr ? TraceLines(*preset, FirstModule) : std::vector<std::string>{};
}

void TRenderBench::Forget() {
    const TPreset* preset = Builder.CurrentPreset();
    FirstModule = preset != nullptr ? preset->Modules.size() : 0;
}

std::vector<TModuleKind> TRenderBench::Kinds() const {
    std::vector<TModuleKind> kinds;
    if (const TPreset* preset = Builder.CurrentPreset()) {
        for (const TModule& module : preset->Modules) {
            kinds.push_back(module.Kind);
        }
    }
    return kinds;
}

} // namespace qvr::test
