#pragma once

#include "report/PresetModel.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qvr {

// Consecutive presets of a file by their headings' positions (from 0, in file order): from
// First up to, not including, End. The modules before the file's first heading go with the
// range that starts at 0.
struct TPresetRange {
    int32_t First = 0;
    int32_t End = 0;
    bool Holds(int32_t position) const { return position >= First && position < End; }
    friend bool operator==(const TPresetRange&, const TPresetRange&) = default;
};

// The parts a report of `presets` headings and `reportBytes` bytes is shown in so that none is
// much over `partBytes`: one range of all presets when the report is not over it, else as many
// ranges of (nearly) equal preset counts as the size asks for, in order, none empty. The
// presets of a backup are alike in size, so equal counts make parts of about equal size.
std::vector<TPresetRange> SplitIntoParts(int32_t presets, size_t reportBytes, size_t partBytes);

// The index of the range holding the preset at `position`, or -1.
int PartOf(const std::vector<TPresetRange>& parts, int32_t position);

// Passes on the presets of one range and the report's start, end and messages: the next sink
// writes the report of those presets alone, complete, in its own format.
class TPresetRangeSink : public IPresetSink {
public:
    TPresetRangeSink(IPresetSink& next, TPresetRange range) : Next(next), Range(range) {}

    void ReportStart(std::string_view model) override { Next.ReportStart(model); }
    void Preset(const TPreset& preset, bool headingFollows) override;
    void ReportEnd() override { Next.ReportEnd(); }
    void Message(const TReportMessage& message) override { Next.Message(message); }
    // The range's last preset has gone on: nothing after it is shown.
    bool Finished() const override { return Range.End > 0 && Headings >= Range.End; }

private:
    IPresetSink& Next;
    TPresetRange Range;
    int32_t Headings = 0; // the headings met so far
};

} // namespace qvr
