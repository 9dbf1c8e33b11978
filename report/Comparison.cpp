#include "report/Comparison.h"

#include "base/Errors.h"
#include "base/Numbers.h"

#include <array>
#include <filesystem>
#include <memory>

namespace qvr {

namespace {

TPresetLabel LabelOf(const TPresetRecord& record) {
    return TPresetLabel{record.Number, record.Name};
}

// The model of both files, checked as the new one starts; named from either.
class TModels {
public:
    void Old(std::string_view model) { OldModel = model; }
    void New(std::string_view model) {
        if (!OldModel.empty() && !model.empty() && model != OldModel) {
            throw EDifferentModels(OldModel, model);
        }
        NewModel = model;
    }
    std::string_view Model() const { return OldModel.empty() ? NewModel : OldModel; }

private:
    std::string OldModel;
    std::string NewModel;
};

// Tells the writer a preset pair (or a preset of one side) that differs.
class TDiffOut {
public:
    TDiffOut(IComparisonWriter& writer, const TModels& models) : Writer(writer), Models(models) {}

    void Pair(const TPresetRecord& old, const TPresetRecord& now) {
        TPresetDiff diff{LabelOf(old), LabelOf(now), ComparePresets(old, now)};
        if (diff.Changes.empty() && !diff.Renamed() && old.Number == now.Number) {
            ++Totals.Unchanged;
            return;
        }
        ++Totals.Changed;
        Put(diff);
    }
    void OnlyOld(const TPresetRecord& old) {
        ++Totals.Removed;
        Put(TPresetDiff{LabelOf(old), std::nullopt, {}});
    }
    void OnlyNew(const TPresetRecord& now) {
        ++Totals.Added;
        Put(TPresetDiff{std::nullopt, LabelOf(now), {}});
    }
    TCompareTotals End(const TCompareSide& old, const TCompareSide& now) {
        if (Totals.Unchanged + Totals.Changed + Totals.Removed == 0) {
            Totals.Empty.push_back(old.File);
        }
        if (Totals.Unchanged + Totals.Changed + Totals.Added == 0) {
            Totals.Empty.push_back(now.File);
        }
        Begin();
        Writer.End(Totals);
        return Totals;
    }

private:
    void Begin() {
        if (!Begun) {
            Begun = true;
            Writer.Begin(Models.Model());
        }
    }
    void Put(const TPresetDiff& diff) {
        Begin();
        Writer.Preset(diff);
    }

    IComparisonWriter& Writer;
    const TModels& Models;
    bool Begun = false;
    TCompareTotals Totals;
};

// What one side gives when a preset is picked: the preset of the number wanted,
// or the only preset of the file.
struct TPick {
    std::optional<int32_t> Number;
    std::optional<size_t> Position;
    std::optional<TPresetRecord> Found;
    std::optional<TPresetRecord> First;
    size_t Count = 0;

    void Take(TPresetRecord&& record) {
        if (Count++ == 0) {
            First = record;
        }
        if (!Found && ((Position && Count - 1 == *Position) ||
                       (!Position && Number && record.Number == Number))) {
            Found = std::move(record);
        }
    }
    // Picked by its own number: the preset must be there.
    const TPresetRecord& Named(const std::string& file) const {
        if (!Found) {
            std::string which = "to compare with";
            if (Position) {
                which = "at place " + std::to_string(*Position + 1);
            } else if (Number) {
                which = std::to_string(*Number);
            }
            throw EFileProblem(file, "there is no preset " + which);
        }
        return *Found;
    }
    // Picked by the other side's number: the only preset, else that number.
    const TPresetRecord& Matching(const std::string& file) const {
        if (Count == 1) {
            return *First;
        }
        return Named(file);
    }
};

// The presets of the old file, held as records until the new file is read.
// Presets are matched by number (the k-th of a number with the k-th of the
// same number), presets without a number by their order.
class TOldPresets {
public:
    void Add(TPresetRecord&& record) {
        Queues[Slot(record.Number)].push_back(Records.size());
        Records.push_back(std::move(record));
        Taken.push_back(false);
    }
    // The old preset that `now` matches, if any; each is matched once.
    const TPresetRecord* Match(const TPresetRecord& now) {
        const size_t slot = Slot(now.Number);
        if (Next[slot] >= Queues[slot].size()) {
            return nullptr;
        }
        const size_t index = Queues[slot][Next[slot]++];
        Taken[index] = true;
        return &Records[index];
    }
    // The old presets that no new one matched, in file order.
    template <class TEach> void EachUnmatched(const TEach& each) const {
        for (size_t i = 0; i < Records.size(); ++i) {
            if (!Taken[i]) {
                each(Records[i]);
            }
        }
    }

private:
    // Numbers 0 to 254; the slot after them for presets without one.
    static constexpr size_t Slots = 256;
    static size_t Slot(std::optional<int32_t> number) {
        return number && *number >= 0 && *number < static_cast<int32_t>(Slots) - 1
                   ? static_cast<size_t>(*number)
                   : Slots - 1;
    }

    std::vector<TPresetRecord> Records;
    std::vector<bool> Taken;
    std::array<std::vector<size_t>, Slots> Queues; // record indexes by number
    std::array<size_t, Slots> Next{};
};

// A collector whose messages go to the comparison's writer too.
TPresetCollector SideCollector(TPresetCollector::TOnPreset onPreset,
                               std::function<void(std::string_view)> onModel,
                               IComparisonWriter& writer, bool oldSide) {
    return TPresetCollector(
        std::move(onPreset), std::move(onModel),
        [&writer, oldSide](const TReportMessage& message) { writer.Message(message, oldSide); });
}

} // namespace

TCompareSide CompareSideOf(const std::string& operand) {
    std::error_code error;
    const size_t colon = operand.rfind(':');
    if (colon == std::string::npos || std::filesystem::exists(operand, error)) {
        return TCompareSide{operand, std::nullopt};
    }
    const std::string digits = operand.substr(colon + 1);
    const int32_t number = StrToIntDef(digits, -1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
        number < 0 || number > 254) {
        return TCompareSide{operand, std::nullopt};
    }
    return TCompareSide{operand.substr(0, colon), number};
}

EDifferentModels::EDifferentModels(std::string_view old, std::string_view now)
    : std::runtime_error("The files are for different models: " + std::string(old) + " and " +
                         std::string(now) + ".") {}

std::vector<TPresetLabel> PresetLabels(TPresetReport& report, const std::string& file,
                                       char decimalSeparator) {
    std::vector<TPresetLabel> labels;
    TPresetCollector collector([&](TPresetRecord&& record) { labels.push_back(LabelOf(record)); });
    report.Emit(file, collector, decimalSeparator);
    return labels;
}

TCompareTotals Compare(IUserNotifier& oldNotifier, IUserNotifier& newNotifier,
                       const TConfigSearch& search, const TCompareSide& old,
                       const TCompareSide& now, IComparisonWriter& writer, char decimalSeparator) {
    TModels models;
    TDiffOut out(writer, models);

    if (old.OnePreset() || now.OnePreset()) {
        TPresetReport oldReport(oldNotifier, search);
        TPresetReport newReport(newNotifier, search);
        TPick oldPick{old.Preset ? old.Preset : now.Preset, old.Position, {}, {}, 0};
        TPick newPick{now.Preset ? now.Preset : old.Preset, now.Position, {}, {}, 0};
        TPresetCollector oldReader =
            SideCollector([&](TPresetRecord&& r) { oldPick.Take(std::move(r)); },
                          [&](std::string_view model) { models.Old(model); }, writer, true);
        oldReport.Emit(old.File, oldReader, decimalSeparator, old.Input);
        TPresetCollector newReader =
            SideCollector([&](TPresetRecord&& r) { newPick.Take(std::move(r)); },
                          [&](std::string_view model) { models.New(model); }, writer, false);
        newReport.Emit(now.File, newReader, decimalSeparator, now.Input);
        const TPresetRecord& a =
            old.OnePreset() ? oldPick.Named(old.File) : oldPick.Matching(old.File);
        const TPresetRecord& b =
            now.OnePreset() ? newPick.Named(now.File) : newPick.Matching(now.File);
        out.Pair(a, b);
        return out.End(old, now);
    }

    // The old file to records first, then the new file compared as it is read.
    TOldPresets oldPresets;
    TPresetReport oldReport(oldNotifier, search);
    TPresetCollector oldReader =
        SideCollector([&](TPresetRecord&& r) { oldPresets.Add(std::move(r)); },
                      [&](std::string_view model) { models.Old(model); }, writer, true);
    oldReport.Emit(old.File, oldReader, decimalSeparator, old.Input);
    TPresetReport newReport(newNotifier, search);
    TPresetCollector newReader = SideCollector(
        [&](TPresetRecord&& r) {
            if (const TPresetRecord* partner = oldPresets.Match(r)) {
                out.Pair(*partner, r);
            } else {
                out.OnlyNew(r);
            }
        },
        [&](std::string_view model) { models.New(model); }, writer, false);
    newReport.Emit(now.File, newReader, decimalSeparator, now.Input);
    oldPresets.EachUnmatched([&](const TPresetRecord& r) { out.OnlyOld(r); });
    return out.End(old, now);
}

} // namespace qvr
