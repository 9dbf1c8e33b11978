#include "report/ValueFormat.h"

#include "base/Numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace qvr {

void SkipBytes(TMidiSysEx& message, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (message.NextByte() < 0) {
            return; // the rest of the body is gone as well
        }
    }
}

int32_t ReadWord16(TMidiSysEx& message) {
    const int32_t high = message.NextByte();
    const int32_t low = message.NextByte();
    return high * 256 + low;
}

namespace {

// The name of a module's on/off switch.
constexpr std::string_view OnOff = "On/Off";

int32_t ValueLength(TMidiSysEx& message, int32_t first) {
    return first == 0x80 ? ReadWord16(message) : (first & 0x7F);
}

} // namespace

int32_t ReadVarValue(TMidiSysEx& message) {
    const int32_t first = message.NextByte();
    if (first < 0x80) {
        return first;
    }
    const int32_t length = ValueLength(message, first);
    uint32_t value = 0;
    for (int32_t i = 0; i < length; ++i) {
        const int32_t byte = message.NextByte();
        value = value * 256u + static_cast<uint32_t>(byte);
        if (byte < 0) {
            // Past the end every byte is -1, and after four bytes only those
            // four count: the remaining steps can stop after three more.
            const int32_t rest = std::min(length - i - 1, 3);
            for (int32_t j = 0; j < rest; ++j) {
                value = value * 256u + 0xFFFFFFFFu;
            }
            break;
        }
    }
    return static_cast<int32_t>(value);
}

void SkipRawParameters(TMidiSysEx& message) {
    const int32_t count = message.NextByte();
    for (int32_t i = 0; i < count; ++i) {
        const int32_t first = message.NextByte();
        if (first < 0x80) {
            continue;
        }
        SkipBytes(message, ValueLength(message, first));
    }
}

namespace {

// The text a parameter names the value by (switch, item, maximum); none for a
// number.
std::optional<std::string_view> NamedValueText(const TQvrParam& param, int32_t value) {
    if (std::string_view(param.Name) == OnOff) {
        return value == 0 ? "Off" : "On";
    }
    if (value >= 0 && static_cast<size_t>(value) < param.Items.size()) {
        return param.Items[static_cast<size_t>(value)];
    }
    if (!param.MaxText.empty() && value == param.Max) {
        return param.MaxText;
    }
    return std::nullopt;
}

// The value as the parameter scales it for display.
double ScaledValue(const TQvrParam& param, int32_t value) {
    const double raw = value;
    return raw < param.ScaleSwitch ? raw * param.ScaleMul + param.ScaleAdd
                                   : raw * param.ScaleMulHigh + param.ScaleAddHigh;
}

// Whole numbers of at most 15 digits, the common values, as FormatGeneral
// writes them, without its string.
bool IsPlainWhole(double shown) {
    return std::fabs(shown) < 1e15 && shown == std::trunc(shown);
}

using TDigits = std::array<char, 24>;

std::string_view WholeText(double shown, TDigits& digits) {
    const auto end =
        std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<long long>(shown));
    return {digits.data(), static_cast<size_t>(end.ptr - digits.data())};
}

// Any other number.
std::string_view FractionText(double shown, char decimalSeparator, std::string& scratch) {
    const double magnitude = std::fabs(shown);
    if (magnitude >= 1e-4 && magnitude < 1e15) {
        // The shortest text that reads back as the value: when it has at most 15 significant
        // digits, they are the value rounded to 15 digits, in FormatGeneral's fixed notation.
        char text[48];
        const auto [end, error] =
            std::to_chars(text, text + sizeof text, shown, std::chars_format::fixed);
        if (error == std::errc()) {
            int significant = 0;
            for (char* c = text; c != end; ++c) {
                if (*c >= '0' && *c <= '9' && (significant > 0 || *c != '0')) {
                    ++significant;
                } else if (*c == '.') {
                    *c = decimalSeparator;
                }
            }
            if (significant <= 15) {
                scratch.assign(text, end);
                return scratch;
            }
        }
    }
    scratch = FormatGeneral(shown, decimalSeparator);
    return scratch;
}

} // namespace

std::string_view ParamValueText(const TQvrParam& param, int32_t value, char decimalSeparator,
                                std::string& scratch) {
    if (const std::optional<std::string_view> named = NamedValueText(param, value)) {
        return *named;
    }
    const double shown = ScaledValue(param, value);
    if (IsPlainWhole(shown)) {
        TDigits digits;
        scratch.assign(WholeText(shown, digits));
        return scratch;
    }
    return FractionText(shown, decimalSeparator, scratch);
}

namespace {

// The text of a value kept with the preset being built, and its number when it
// is one. Written into the model's own fields, which the processor then never
// has to read back from a copy.
std::string_view KeptValueText(const TQvrParam& param, int32_t value, TRenderContext& context,
                               std::optional<double>& number) {
    if (const std::optional<std::string_view> named = NamedValueText(param, value)) {
        return *named;
    }
    const double shown = ScaledValue(param, value);
    number = shown;
    if (IsPlainWhole(shown)) {
        // Quicker to write than to look up, and written where the preset keeps it.
        TTextArena& texts = context.Builder.Texts();
        constexpr size_t Most = std::tuple_size_v<TDigits>;
        char* const at = texts.Room(Most);
        return texts.Keep(std::to_chars(at, at + Most, static_cast<long long>(shown)).ptr);
    }
    std::string_view text = context.ValueTexts.Find(param, value);
    if (text.empty()) {
        text = FractionText(shown, context.DecimalSeparator, context.Scratch);
        context.ValueTexts.Store(param, value, text);
    }
    return context.Builder.Store(text);
}

} // namespace

TValue ParamValue(const TQvrParam& param, int32_t value, TRenderContext& context) {
    TValue shown;
    shown.Raw = value;
    shown.Text = KeptValueText(param, value, context, shown.Number);
    return shown;
}

std::string FormatParamValue(const TQvrParam& param, int32_t value, char decimalSeparator) {
    std::string scratch;
    return std::string(ParamValueText(param, value, decimalSeparator, scratch));
}

std::string_view ParamName(const TQvrParam& param) {
    return ShownParameterName(param.Name);
}

std::string ParamLine(const TQvrParam& param, int32_t value, char decimalSeparator) {
    return std::string(ParamName(param)) + " = " + FormatParamValue(param, value, decimalSeparator);
}

void EmitParam(const TQvrParam& param, int32_t value, TRenderContext& context) {
    TParameter& added = context.Builder.AddParameter();
    added.Name = param.Name;
    added.Raw = value;
    added.Text = KeptValueText(param, value, context, added.Number);
}

} // namespace qvr
