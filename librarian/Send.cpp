#include "librarian/Send.h"

#include "base/Errors.h"
#include "report/Utf8Text.h"
#include "sysex/Products.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace qvr {

namespace {

std::string Counted(size_t count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

void CheckWhole(const TDump& dump, const std::string& file) {
    if (!dump.Problem.empty()) {
        throw EFileProblem(file, dump.Problem);
    }
    if (dump.Messages.empty()) {
        throw EFileProblem(file, "the file holds no messages");
    }
}

// The preset whose messages hold message `index` of the dump, if any.
const TDumpPreset* PresetHolding(const TSendPlan& plan, size_t index) {
    for (const TDumpPreset* preset : plan.Presets) {
        if (index >= preset->FirstMessage && index < preset->FirstMessage + preset->MessageCount) {
            return preset;
        }
    }
    return nullptr;
}

// Waits `interval`, or less once `stop` is set.
void Pause(std::chrono::milliseconds interval, const std::atomic<bool>& stop) {
    const std::chrono::milliseconds slice(5);
    const auto until = std::chrono::steady_clock::now() + interval;
    for (auto now = std::chrono::steady_clock::now(); now < until && !stop;
         now = std::chrono::steady_clock::now()) {
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(slice, until - now));
    }
}

} // namespace

std::string PresetLabel(const TDumpPreset& preset) {
    TLineText label;
    if (const std::optional<int32_t> number = preset.Header.Number()) {
        char text[8];
        std::snprintf(text, sizeof text, "#%02d", static_cast<int>(*number));
        label.Append(text);
    } else {
        label.Append("(no number)");
    }
    label.Append("  ");
    AppendTerminalUtf8(label, preset.Header.Name);
    return label.Text;
}

size_t TSendPlan::Events(size_t chunk) const {
    size_t events = 0;
    for (size_t i = 0; i < MessageCount; ++i) {
        const size_t size = Message(i).size();
        events += chunk == 0 ? 1 : (size + chunk - 1) / chunk;
    }
    return events;
}

TSendPlan PlanSend(const TDump& dump, const std::string& file, const TDumpPreset& preset) {
    CheckWhole(dump, file);
    TSendPlan plan;
    plan.Dump = &dump;
    plan.FirstMessage = preset.FirstMessage;
    plan.MessageCount = preset.MessageCount;
    plan.Presets.push_back(&preset);
    return plan;
}

TSendPlan PlanSend(const TDump& dump, const std::string& file, std::optional<int32_t> preset) {
    CheckWhole(dump, file);
    if (preset) {
        const TDumpPreset* const found = dump.PresetNumbered(*preset);
        if (found == nullptr) {
            throw EFileProblem(file, "there is no preset " + std::to_string(*preset));
        }
        return PlanSend(dump, file, *found);
    }
    TSendPlan plan;
    plan.Dump = &dump;
    plan.MessageCount = dump.Messages.size();
    for (const TDumpPreset& each : dump.Presets) {
        plan.Presets.push_back(&each);
    }
    return plan;
}

void CheckEvents(const TSendPlan& plan, const TPacing& pacing) {
    for (size_t i = 0; i < plan.MessageCount; ++i) {
        const size_t size = plan.Message(i).size();
        if (std::min(size, pacing.Chunk == 0 ? size : pacing.Chunk) <= TPacing::MaxChunk) {
            continue;
        }
        const TDumpPreset* preset = PresetHolding(plan, plan.FirstMessage + i);
        throw std::runtime_error(
            "message " + std::to_string(i + 1) + " of " + std::to_string(plan.MessageCount) +
            (preset != nullptr ? " (preset " + PresetLabel(*preset) + ")" : std::string()) +
            " is " + std::to_string(size) + " bytes long, more than the " +
            std::to_string(TPacing::MaxChunk) +
            " bytes a MIDI event carries whole; send it in pieces");
    }
}

std::string SendListing(const TSendPlan& plan) {
    std::string text =
        ModelName(*plan.Dump->ProductId) + ": " + Counted(plan.Presets.size(), "preset") + ", " +
        Counted(plan.MessageCount, "message") + ", " + Counted(plan.Bytes(), "byte") + "\n";
    for (const TDumpPreset* preset : plan.Presets) {
        text += "  " + PresetLabel(*preset) + "\n";
    }
    return text;
}

TSendProgress SendPlan(const TSendPlan& plan, const TPacing& pacing, ISendTarget& target,
                       const std::function<void(const TSendProgress&)>& progress,
                       const std::atomic<bool>& stop) {
    CheckEvents(plan, pacing);
    TSendProgress done;
    for (size_t i = 0; i < plan.MessageCount && !stop; ++i) {
        const std::string_view message = plan.Message(i);
        const size_t chunk = pacing.Chunk == 0 ? message.size() : pacing.Chunk;
        for (size_t at = 0; at < message.size(); at += chunk) {
            done.PartBytes = at;
            if (stop) {
                progress(done);
                return done;
            }
            const std::string_view piece = message.substr(at, chunk);
            try {
                target.Send({reinterpret_cast<const uint8_t*>(piece.data()), piece.size()});
            } catch (...) {
                progress(done);
                throw;
            }
            // The pause starts once the piece is handed over.
            Pause(pacing.Interval, stop);
        }
        done.PartBytes = 0;
        ++done.Messages;
        done.Bytes += message.size();
        progress(done);
    }
    return done;
}

std::string HowFarText(const TSendPlan& plan, const TSendProgress& progress) {
    std::string last;
    for (const TDumpPreset* preset : plan.Presets) {
        if (preset->FirstMessage + preset->MessageCount > plan.FirstMessage + progress.Messages) {
            break;
        }
        last = PresetLabel(*preset);
    }
    std::string text =
        std::to_string(progress.Messages) + " of " + std::to_string(plan.MessageCount) +
        " messages (" + std::to_string(progress.Bytes) + " of " + std::to_string(plan.Bytes()) +
        " bytes)" +
        (last.empty() ? "; no preset went out whole" : "; the last preset sent whole: " + last);
    if (progress.PartBytes > 0 && progress.Messages < plan.MessageCount) {
        text += "; message " + std::to_string(progress.Messages + 1) + " was cut off after " +
                std::to_string(progress.PartBytes) + " of " +
                std::to_string(plan.Message(progress.Messages).size()) + " bytes";
    }
    return text;
}

} // namespace qvr
