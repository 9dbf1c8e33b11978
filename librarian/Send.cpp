#include "librarian/Send.h"

#include "report/Utf8Text.h"
#include "sysex/Products.h"

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
        throw std::runtime_error(file + ": " + dump.Problem);
    }
    if (dump.Messages.empty()) {
        throw std::runtime_error(file + ": the file holds no messages");
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
            throw std::runtime_error("'" + file + "' has no preset " + std::to_string(*preset) +
                                     ".");
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
    TSendProgress done;
    for (size_t i = 0; i < plan.MessageCount && !stop; ++i) {
        const std::string_view message = plan.Message(i);
        const size_t chunk = pacing.Chunk == 0 ? message.size() : pacing.Chunk;
        for (size_t at = 0; at < message.size(); at += chunk) {
            const std::string_view piece = message.substr(at, chunk);
            try {
                target.Send({reinterpret_cast<const uint8_t*>(piece.data()), piece.size()});
            } catch (...) {
                progress(done);
                throw;
            }
            // The pause starts once the piece is handed over.
            std::this_thread::sleep_for(pacing.Interval);
        }
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
    return std::to_string(progress.Messages) + " of " + std::to_string(plan.MessageCount) +
           " messages (" + std::to_string(progress.Bytes) + " of " + std::to_string(plan.Bytes()) +
           " bytes)" +
           (last.empty() ? "; no preset went out whole" : "; the last preset sent whole: " + last);
}

} // namespace qvr
