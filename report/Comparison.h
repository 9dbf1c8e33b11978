#pragma once

#include "report/PresetCompare.h"
#include "report/PresetReport.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// One side of a comparison: a whole file, or one preset of it.
struct TCompareSide {
    std::string File;
    std::optional<int32_t> Preset = {};  // the preset of this number
    std::optional<size_t> Position = {}; // the preset at this place in the file (from 0)
    TInputRule Input = TInputRule::File; // what File may be

    bool OnePreset() const { return Preset || Position; }
};

// "FILE:N" names preset N of FILE (N from 0 to 254), unless the whole text
// names a file that exists; anything else names a file.
TCompareSide CompareSideOf(const std::string& operand);

// The two files are for different models; nothing is compared.
class EDifferentModels : public std::runtime_error {
public:
    EDifferentModels(std::string_view old, std::string_view now);
};

// How the presets of the two sides compared.
struct TCompareTotals {
    size_t Unchanged = 0;
    size_t Changed = 0;
    size_t Removed = 0; // only in the old file
    size_t Added = 0;   // only in the new file
    // The files, as their sides name them, that hold no presets at all, old first.
    std::vector<std::string> Empty;
    bool Differ() const { return Changed + Removed + Added > 0; }
};

// Writes a comparison in one format: Begin once, then each preset that
// differs, then End.
class IComparisonWriter {
public:
    virtual ~IComparisonWriter() = default;
    // The model of the files (empty when neither file names one).
    virtual void Begin(std::string_view model) = 0;
    virtual void Preset(const TPresetDiff& diff) = 0;
    virtual void End(const TCompareTotals& totals) = 0;
    // A message shown while a file was read (the old one when `oldSide`),
    // at any time before End.
    virtual void Message(const TReportMessage& /*message*/, bool /*oldSide*/) {}
};

// The presets of a file, as number and name, in file order.
std::vector<TPresetLabel> PresetLabels(TPresetReport& report, const std::string& file,
                                       char decimalSeparator);

// Compares the old side with the new one and tells `writer` what differs.
// Whole files: presets are matched by number (the k-th preset of a number with
// the k-th of the same number), presets without a number by their order; the
// changed and new presets come in the new file's order, then the presets only
// in the old file. When a side names one preset, that preset is compared with
// the other side's preset of the same number, or its only preset. Messages of
// the loads go to `oldNotifier` and `newNotifier`, the old file's first, and to
// the writer. The old file is read first into records, then the new file is
// compared as it is read.
// Throws EDifferentModels, and std::runtime_error for a preset that a side
// names but its file does not hold.
TCompareTotals Compare(IUserNotifier& oldNotifier, IUserNotifier& newNotifier,
                       const TConfigSearch& search, const TCompareSide& old,
                       const TCompareSide& now, IComparisonWriter& writer, char decimalSeparator);

// The same with the messages of both files going to one notifier.
inline TCompareTotals Compare(IUserNotifier& notifier, const TConfigSearch& search,
                              const TCompareSide& old, const TCompareSide& now,
                              IComparisonWriter& writer, char decimalSeparator) {
    return Compare(notifier, notifier, search, old, now, writer, decimalSeparator);
}

} // namespace qvr
