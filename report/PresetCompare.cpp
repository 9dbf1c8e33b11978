#include "report/PresetCompare.h"

#include <algorithm>
#include <utility>

namespace qvr {

namespace {

// Longest common subsequence tables above this many cells are not built: the
// items between the common start and end of such long lists count as all
// removed and added.
const size_t MaxTableCells = size_t{1} << 22;

// Pairs of matched items, in order, of two lists of n and m items that `same`
// compares: the longest common subsequence, after the common start and end.
template <class TSame>
std::vector<std::pair<size_t, size_t>> Align(size_t n, size_t m, const TSame& same) {
    std::vector<std::pair<size_t, size_t>> matched;
    size_t begin = 0;
    while (begin < n && begin < m && same(begin, begin)) {
        matched.emplace_back(begin, begin);
        ++begin;
    }
    size_t tail = 0;
    while (tail < n - begin && tail < m - begin && same(n - 1 - tail, m - 1 - tail)) {
        ++tail;
    }
    const size_t rows = n - begin - tail;
    const size_t columns = m - begin - tail;
    if (rows > 0 && columns > 0 && (rows + 1) * (columns + 1) <= MaxTableCells) {
        // length[i][j]: the longest common subsequence of the items from i and j on.
        std::vector<uint32_t> length((rows + 1) * (columns + 1), 0);
        const auto at = [&](size_t i, size_t j) -> uint32_t& {
            return length[i * (columns + 1) + j];
        };
        for (size_t i = rows; i-- > 0;) {
            for (size_t j = columns; j-- > 0;) {
                at(i, j) = same(begin + i, begin + j) ? at(i + 1, j + 1) + 1
                                                      : std::max(at(i + 1, j), at(i, j + 1));
            }
        }
        for (size_t i = 0, j = 0; i < rows && j < columns;) {
            if (same(begin + i, begin + j)) {
                matched.emplace_back(begin + i++, begin + j++);
            } else if (at(i + 1, j) >= at(i, j + 1)) {
                ++i;
            } else {
                ++j;
            }
        }
    }
    for (size_t k = tail; k > 0; --k) {
        matched.emplace_back(n - k, m - k);
    }
    return matched;
}

// Walks two aligned lists: `removed` for each item only in the first, `added`
// for each only in the second (the removed ones of a gap first), `both` for
// each matched pair.
template <class TRemoved, class TAdded, class TBoth>
void Walk(size_t n, size_t m, const std::vector<std::pair<size_t, size_t>>& matched,
          const TRemoved& removed, const TAdded& added, const TBoth& both) {
    size_t i = 0;
    size_t j = 0;
    for (const auto& [mi, mj] : matched) {
        for (; i < mi; ++i) {
            removed(i);
        }
        for (; j < mj; ++j) {
            added(j);
        }
        both(i++, j++);
    }
    for (; i < n; ++i) {
        removed(i);
    }
    for (; j < m; ++j) {
        added(j);
    }
}

// How a change names its module: by its heading, else by the configuration's
// name for it (Input, Output), else by its kind and id; the lines before a
// preset's first module stand without one.
std::optional<std::string> ModuleTitle(std::optional<std::string_view> heading,
                                       std::string_view label, const TModuleRef& ref) {
    if (heading) {
        return std::string(*heading);
    }
    if (ref.Kind == TModuleKind::Loose) {
        return std::nullopt;
    }
    if (label.empty()) {
        return std::string(ModuleKindName(ref.Kind)) + " " + std::to_string(ref.Id);
    }
    return std::string(label);
}

std::optional<std::string> ModuleTitle(const TRecordModule& module) {
    return ModuleTitle(module.Heading, module.Label, module.Ref);
}

TChange ModuleChange(TChange::TKind kind, const TRecordModule& module) {
    return TChange{kind, ModuleTitle(module), {}, {}, {}, true, module.Ref};
}

TChange LineChange(TChange::TKind kind, const TRecordModule& module, const TRecordLine& line) {
    TChange change{kind,        ModuleTitle(module), std::string(line.Name), {}, {},
                   line.IsPair, module.Ref};
    (kind == TChange::TKind::LineAdded ? change.New : change.Old) = line.Value;
    return change;
}

void CompareLines(const TRecordModule& old, const TRecordModule& now,
                  std::vector<TChange>& changes) {
    const auto same = [&](size_t i, size_t j) {
        const TRecordLine& a = old.Lines[i];
        const TRecordLine& b = now.Lines[j];
        return a.IsPair == b.IsPair && a.Name == b.Name;
    };
    Walk(
        old.Lines.size(), now.Lines.size(), Align(old.Lines.size(), now.Lines.size(), same),
        [&](size_t i) {
            // Named as in the new preset, where the module may stand elsewhere.
            changes.push_back(LineChange(TChange::TKind::LineRemoved, now, old.Lines[i]));
        },
        [&](size_t j) {
            changes.push_back(LineChange(TChange::TKind::LineAdded, now, now.Lines[j]));
        },
        [&](size_t i, size_t j) {
            const TRecordLine& a = old.Lines[i];
            const TRecordLine& b = now.Lines[j];
            if (a.Value != b.Value) {
                changes.push_back(TChange{TChange::TKind::ValueChanged, ModuleTitle(now),
                                          std::string(a.Name), std::string(a.Value),
                                          std::string(b.Value), true, now.Ref});
            }
        });
}

// The changes when both bodies hold the same entries in the same order and
// only values differ, as between most versions of a preset; false (and the
// changes incomplete) when they do not.
bool CompareSameShape(std::string_view old, std::string_view now, std::vector<TChange>& changes) {
    using TKind = TRecordReader::TKind;
    TRecordReader a(old);
    TRecordReader b(now);
    // The module the entries belong to (none before the first), named only
    // when one of its values changed.
    std::optional<std::string_view> heading;
    std::string_view label;
    TModuleRef where;
    for (;;) {
        // Entries match when their kind and name do; modules also by key.
        const bool more = a.Next();
        if (more != b.Next()) {
            return false;
        }
        if (!more) {
            return true;
        }
        if (a.Kind != b.Kind || a.Name != b.Name || (a.Kind != TKind::Pair && a.Value != b.Value)) {
            return false;
        }
        if (a.Kind == TKind::Module || a.Kind == TKind::HeadlessModule) {
            heading = a.Kind == TKind::Module ? std::optional(a.Name) : std::nullopt;
            label = a.Name;
            where = ModuleRefOf(a.Value);
        } else if (a.Kind == TKind::Pair && a.Value != b.Value) {
            changes.push_back(TChange{TChange::TKind::ValueChanged,
                                      ModuleTitle(heading, label, where), std::string(a.Name),
                                      std::string(a.Value), std::string(b.Value), true, where});
        }
    }
}

} // namespace

std::vector<TChange> ComparePresets(const TPresetRecord& old, const TPresetRecord& now) {
    std::vector<TChange> changes;
    if (old.Body == now.Body || CompareSameShape(old.Body, now.Body, changes)) {
        return changes;
    }
    changes.clear();
    const std::vector<TRecordModule> a = RecordModules(old);
    const std::vector<TRecordModule> b = RecordModules(now);
    const auto same = [&](size_t i, size_t j) {
        return a[i].Key == b[j].Key && a[i].Heading == b[j].Heading;
    };
    Walk(
        a.size(), b.size(), Align(a.size(), b.size(), same),
        [&](size_t i) { changes.push_back(ModuleChange(TChange::TKind::ModuleRemoved, a[i])); },
        [&](size_t j) { changes.push_back(ModuleChange(TChange::TKind::ModuleAdded, b[j])); },
        [&](size_t i, size_t j) { CompareLines(a[i], b[j], changes); });
    return changes;
}

} // namespace qvr
