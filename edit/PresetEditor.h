#pragma once

#include "config/Qvrconfig.h"
#include "edit/DeviceUse.h"
#include "edit/PresetValues.h"
#include "edit/Reencode.h"
#include "edit/ShownPreset.h"
#include "librarian/Dump.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// What an edit did, or why it did nothing.
struct TEditResult {
    bool Done = false;
    std::string Problem; // when not done
    // Done though the value lies outside what the device uses (the force was given).
    bool Forced = false;
    // Not done only because the value lies outside what the device uses: the force takes it.
    bool NeedsForce = false;
    std::string Module; // as Modules() labels it; empty for a name
    std::string Name;   // the value's name, or "Name"
    std::string Old;    // as shown before and after
    std::string New;
};

// One preset of a file open for editing. The file's bytes are kept as read; edits are held
// apart and made only by Bytes(), which changes the messages that hold edited values (and the
// header for a new name) and nothing else. A value is given as the report shows it and read
// back by the configuration's rules; it is taken when the configuration's range holds it or the
// library has seen the device use it, else only with the force.
class TPresetEditor {
public:
    // Opens preset `preset` (a place in dump.Presets) with the configuration of the dump's
    // product. Throws EEditError for a dump that did not read whole, a place past its presets,
    // or a preset whose report shows an error.
    TPresetEditor(TDump dump, size_t preset, std::shared_ptr<const TQvrConfig> config,
                  TDeviceUse use = {});

    const TDump& Dump() const { return File; }
    const TDumpPreset& Preset() const { return File.Presets[PresetIndex]; }
    // The preset's place among the file's presets, from 0.
    size_t PresetPlace() const { return PresetIndex; }
    const std::string& Model() const { return ModelTitle; }
    const std::vector<TEditableModule>& Modules() const { return EditModules; }

    // The preset's name with the edits.
    std::string Name() const;
    const TNameRule& NameRule() const { return Names; }
    // The raw number of a value with the edits, and its text as the report shows it.
    int32_t Raw(const TEditableValue& value) const;
    std::string Text(const TEditableValue& value) const;
    // True when `raw` lies in the configuration's range of the value or among the numbers the
    // library has seen for it.
    bool DeviceUses(const TEditableModule& module, const TEditableValue& value, int32_t raw);

    // Sets the value `name` of the module labelled `module` to `text` as shown. Labels and
    // names match exactly, else whatever their case when only one does.
    TEditResult Set(std::string_view module, std::string_view name, std::string_view text,
                    bool force);
    // The same for a value of Modules() and a raw number.
    TEditResult SetRaw(const TEditableModule& module, const TEditableValue& value, int32_t raw,
                       bool force);
    // Names the preset `name` (8-bit). A 0 byte is never taken; characters and a length the
    // name rule does not allow only with the force.
    TEditResult Rename(std::string_view name, bool force);

    // Every edit so far, to be kept and put back (undo).
    const TPresetEdits& Edits() const { return Changes; }
    void Restore(TPresetEdits edits) { Changes = std::move(edits); }

    // The whole file with the edits made, read back to make sure that it reads whole.
    std::string Bytes() const;

private:
    const TEditableModule* FindModule(std::string_view label, std::string& problem) const;

    TDump File;
    size_t PresetIndex;
    std::shared_ptr<const TQvrConfig> Config;
    TDeviceUse Use;
    std::string ModelTitle;
    std::vector<TEditableModule> EditModules;
    TNameRule Names;
    TPresetEdits Changes;
    // The library's numbers by value place, asked once each.
    std::map<TValuePlace, std::vector<int32_t>> Seen;
};

// Where a preset of `dump` stands: the one numbered `number`, or the only one when none is
// given. Throws EEditError naming what the file holds otherwise.
size_t EditablePresetIndex(const TDump& dump, std::optional<int32_t> number);

} // namespace qvr
