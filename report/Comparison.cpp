#include "report/Comparison.h"

#include "base/HeldNotices.h"
#include "base/Numbers.h"
#include "report/OldFileRecords.h"

#include <exception>
#include <filesystem>
#include <memory>

namespace qvr {

namespace {

TPresetLabel LabelOf(const TPresetRecord& record) {
    return TPresetLabel{record.Number, record.Name};
}

// The model of both files, checked as the new one starts.
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
            throw std::runtime_error("'" + file + "' has no preset " + which + ".");
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
        TPresetCollector oldReader([&](TPresetRecord&& r) { oldPick.Take(std::move(r)); },
                                   [&](std::string_view model) { models.Old(model); });
        oldReport.Emit(old.File, oldReader, decimalSeparator);
        TPresetCollector newReader([&](TPresetRecord&& r) { newPick.Take(std::move(r)); },
                                   [&](std::string_view model) { models.New(model); });
        newReport.Emit(now.File, newReader, decimalSeparator);
        const TPresetRecord& a =
            old.OnePreset() ? oldPick.Named(old.File) : oldPick.Matching(old.File);
        const TPresetRecord& b =
            now.OnePreset() ? newPick.Named(now.File) : newPick.Matching(now.File);
        out.Pair(a, b);
        return out.End(old, now);
    }

    // Both files are read at once; the new file's messages wait for the old file's.
    TOldFileRecords oldPresets(search, old.File, decimalSeparator);
    THeldNotices newNotices;
    std::exception_ptr newFailure;
    try {
        TPresetReport report(newNotices, search);
        TPresetCollector newReader(
            [&](TPresetRecord&& r) {
                if (const TPresetRecord* partner = oldPresets.Match(r)) {
                    out.Pair(*partner, r);
                } else {
                    out.OnlyNew(r);
                }
            },
            [&](std::string_view model) {
                models.Old(oldPresets.Model());
                models.New(model);
            });
        report.Emit(now.File, newReader, decimalSeparator);
    } catch (const TOldFileRecords::TFailed&) {
        // Finish throws the old file's failure; as if the new file had not been read, its
        // messages are not shown.
    } catch (...) {
        newFailure = std::current_exception();
    }
    oldPresets.Finish(oldNotifier);
    newNotices.ShowThrough(newNotifier);
    if (newFailure) {
        std::rethrow_exception(newFailure);
    }
    oldPresets.EachUnmatched([&](const TPresetRecord& r) { out.OnlyOld(r); });
    return out.End(old, now);
}

} // namespace qvr
