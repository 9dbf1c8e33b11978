#include "edit/ShownValue.h"

#include "base/Errors.h"
#include "base/Numbers.h"
#include "report/ValueFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qvr {

namespace {

// Edits read and compare numbers with this separator, whatever the user's locale.
constexpr char Separator = '.';

// At most this many items are named in a message.
constexpr size_t ItemsNamed = 12;

std::string Shown(const TQvrParam& param, int32_t raw) {
    return FormatParamValue(param, raw, Separator);
}

bool IsSwitch(const TQvrParam& param) {
    return ShownParameterName(param.Name) != param.Name;
}

// The highest raw number of the configuration's range.
int32_t RangeTop(const TQvrParam& param) {
    if (IsSwitch(param)) {
        return 1;
    }
    if (!param.Items.empty()) {
        return static_cast<int32_t>(param.Items.size()) - 1;
    }
    return std::max(param.Max, 0);
}

// The number a text shows, when it is one.
std::optional<double> NumberOf(const std::string& text) {
    try {
        return StrToFloatDot(text);
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

// The raw numbers near `shown` under both scales, within 32 bits.
std::vector<int32_t> RawNear(const TQvrParam& param, double shown) {
    std::vector<int32_t> near;
    const auto addAround = [&](double mul, double add) {
        if (mul == 0.0) {
            return;
        }
        const double estimate = (shown - add) / mul;
        if (!std::isfinite(estimate) || std::fabs(estimate) > 4.3e9) {
            return;
        }
        const auto low = static_cast<int64_t>(std::floor(estimate));
        for (int64_t raw = low - 1; raw <= low + 2; ++raw) {
            if (raw >= std::numeric_limits<int32_t>::min() &&
                raw <= std::numeric_limits<int32_t>::max()) {
                near.push_back(static_cast<int32_t>(raw));
            }
        }
    };
    addAround(param.ScaleMul, param.ScaleAdd);
    addAround(param.ScaleMulHigh, param.ScaleAddHigh);
    // A scale of factor 0 shows one number for every raw one: the range's ends stand for it.
    near.push_back(0);
    near.push_back(RangeTop(param));
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());
    return near;
}

// Of the raw numbers that show a text, the one to take: the lowest within the range, else the
// lowest.
int32_t Preferred(const TQvrParam& param, const std::vector<int32_t>& matches) {
    const auto inRange = std::find_if(matches.begin(), matches.end(),
                                      [&param](int32_t raw) { return InConfigRange(param, raw); });
    return inRange != matches.end() ? *inRange : matches.front();
}

std::string Quoted(std::string_view text) {
    return std::string("'").append(text).append("'");
}

// "A, B and C".
std::string Listed(const std::vector<std::string>& texts) {
    std::string list;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            list += i + 1 == texts.size() ? " and " : ", ";
        }
        list += texts[i];
    }
    return list;
}

// The shown numbers nearest below and above `shown`, within the range when any is.
std::vector<std::string> Neighbours(const TQvrParam& param, double shown) {
    std::optional<std::pair<double, std::string>> below;
    std::optional<std::pair<double, std::string>> above;
    const std::vector<int32_t> near = RawNear(param, shown);
    const bool anyInRange = std::any_of(
        near.begin(), near.end(), [&param](int32_t raw) { return InConfigRange(param, raw); });
    for (const int32_t raw : near) {
        if (anyInRange && !InConfigRange(param, raw)) {
            continue;
        }
        std::string text = Shown(param, raw);
        const std::optional<double> number = NumberOf(text);
        if (!number) {
            continue;
        }
        if (*number <= shown && (!below || *number > below->first)) {
            below.emplace(*number, std::move(text));
        } else if (*number > shown && (!above || *number < above->first)) {
            above.emplace(*number, std::move(text));
        }
    }
    std::vector<std::string> named;
    for (const auto& side : {below, above}) {
        if (side) {
            named.push_back(side->second);
        }
    }
    return named;
}

// What the parameter takes, for a text that is neither one of its names nor a number.
std::string Takes(const TQvrParam& param) {
    if (IsSwitch(param)) {
        return "On or Off";
    }
    if (!param.Items.empty()) {
        std::vector<std::string> items;
        for (size_t i = 0; i < param.Items.size() && i < ItemsNamed; ++i) {
            items.push_back(Quoted(param.Items[i]));
        }
        if (param.Items.size() > ItemsNamed) {
            items.push_back(std::to_string(param.Items.size() - ItemsNamed) + " more");
        }
        return Listed(items);
    }
    // The maximum text stands for the top of the range; the numbers lie below it.
    const int32_t topNumber = param.MaxText.empty() ? RangeTop(param) : RangeTop(param) - 1;
    std::vector<std::string> takes;
    if (topNumber >= 0) {
        takes.push_back("numbers from " + Shown(param, 0) + " to " + Shown(param, topNumber));
    }
    if (!param.MaxText.empty()) {
        takes.push_back(Quoted(param.MaxText));
    }
    return Listed(takes);
}

} // namespace

bool InConfigRange(const TQvrParam& param, int32_t raw) {
    return raw >= 0 && raw <= RangeTop(param);
}

TRawValue RawForShownText(const TQvrParam& param, std::string_view text,
                          std::optional<int32_t> current) {
    if (current && Shown(param, *current) == text) {
        return {current, {}};
    }
    std::vector<int32_t> matches;
    // Names first: a switch's, an item's, the maximum's.
    if (IsSwitch(param)) {
        if (text == "Off") {
            matches.push_back(0);
        } else if (text == "On") {
            matches.push_back(1);
        }
    }
    for (size_t i = 0; i < param.Items.size() && matches.empty(); ++i) {
        if (param.Items[i] == text && Shown(param, static_cast<int32_t>(i)) == text) {
            matches.push_back(static_cast<int32_t>(i));
        }
    }
    if (matches.empty() && !param.MaxText.empty() && text == param.MaxText &&
        Shown(param, param.Max) == text) {
        matches.push_back(param.Max);
    }
    std::string number(text);
    std::replace(number.begin(), number.end(), ',', Separator);
    const std::optional<double> shown = matches.empty() ? NumberOf(number) : std::nullopt;
    if (shown) {
        for (const int32_t raw : RawNear(param, *shown)) {
            if (Shown(param, raw) == number) {
                matches.push_back(raw);
            }
        }
    }
    if (!matches.empty()) {
        return {Preferred(param, matches), {}};
    }

    const std::string start =
        Quoted(text) + " is not a value of " + std::string(ShownParameterName(param.Name));
    if (!shown) {
        return {std::nullopt, start + ": it takes " + Takes(param)};
    }
    const std::vector<std::string> nearest = Neighbours(param, *shown);
    if (nearest.empty()) {
        return {std::nullopt, start + ": it takes " + Takes(param)};
    }
    return {std::nullopt,
            start + (nearest.size() == 1 ? "; the nearest shown is " : "; the nearest shown are ") +
                Listed(nearest)};
}

std::string ConfigRangeText(const TQvrParam& param) {
    return Shown(param, 0) + " to " + Shown(param, RangeTop(param));
}

std::vector<std::string> ShownRange(const TQvrParam& param, size_t limit) {
    std::vector<std::string> texts;
    const int32_t top = RangeTop(param);
    if (static_cast<size_t>(top) >= limit) {
        return texts;
    }
    for (int32_t raw = 0; raw <= top; ++raw) {
        texts.push_back(Shown(param, raw));
    }
    return texts;
}

} // namespace qvr
