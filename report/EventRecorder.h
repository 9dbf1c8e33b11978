#pragma once

#include "report/ReportSink.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// Keeps the events it receives, to hand them on later or to look at them.
class TEventRecorder : public IReportSink {
public:
    enum class TKind {
        ReportStart,
        PresetHeading,
        ChainStart,
        Module,
        Value,
        Line,
        UserModel,
        End
    };
    struct TEvent {
        TKind Kind;
        std::string First;  // model, heading, name or text
        std::string Second; // preset name or value
        std::optional<int32_t> Number;
        TNameSlot Slot = TNameSlot::None;
    };

    void ReportStart(std::string_view model) override { Add(TKind::ReportStart, model); }
    void PresetHeading(std::string_view model, std::optional<int32_t> number,
                       std::string_view name) override {
        Add(TKind::PresetHeading, model, name, number);
    }
    void ChainStart() override { Add(TKind::ChainStart); }
    void ModuleStart(std::string_view heading, TNameSlot slot) override {
        Add(TKind::Module, heading, {}, std::nullopt, slot);
    }
    void Value(std::string_view name, std::string_view value) override {
        Add(TKind::Value, name, value);
    }
    void Line(std::string_view text) override { Add(TKind::Line, text); }
    void UserModelName(TNameSlot slot, std::string_view name) override {
        Add(TKind::UserModel, name, {}, std::nullopt, slot);
    }
    void ReportEnd() override { Add(TKind::End); }

    // Sends the events kept to `sink`, in order.
    void Replay(IReportSink& sink) const;

    std::vector<TEvent> Events;

private:
    void Add(TKind kind, std::string_view first = {}, std::string_view second = {},
             std::optional<int32_t> number = std::nullopt, TNameSlot slot = TNameSlot::None) {
        Events.push_back(TEvent{kind, std::string(first), std::string(second), number, slot});
    }
};

} // namespace qvr
