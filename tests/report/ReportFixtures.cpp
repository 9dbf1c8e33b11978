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

void TTraceSink::ReportStart(std::string_view model) {
    Lines.push_back("start " + std::string(model));
}

void TTraceSink::PresetHeading(std::string_view model, std::optional<int32_t> number,
                               std::string_view name) {
    std::string line = "preset " + std::string(model);
    if (number) {
        line += (*number < 10 ? " #0" : " #") + std::to_string(*number);
    }
    Lines.push_back(line + " " + std::string(name));
}

void TTraceSink::ModuleStart(std::string_view heading, TNameSlot slot) {
    Lines.emplace_back("<br>");
    Lines.push_back("<b>" + std::string(heading) + "</b>");
    Slots.push_back(slot);
}

void TTraceSink::Value(std::string_view name, std::string_view value) {
    Lines.push_back(std::string(name) + " = " + std::string(value));
}

void TTraceSink::UserModelName(TNameSlot slot, std::string_view name) {
    static const char* const slots[] = {"none", "green amp", "green cabinet", "red amp",
                                        "red cabinet"};
    Lines.push_back("user model " + std::string(slots[static_cast<size_t>(slot)]) + " = " +
                    std::string(name));
}

} // namespace qvr::test
