#include "report/PresetReport.h"

#include "base/Numbers.h"
#include "report/HtmlSink.h"
#include "report/InputBytes.h"
#include "report/PresetAssembler.h"
#include "report/SysExProblems.h"
#include "sysex/Korvanesysex.h"
#include "sysex/Midisysex.h"
#include "sysex/Qvrsysex.h"

#include <memory>
#include <optional>

namespace qvr {

TPresetReport::TPresetReport(IUserNotifier& notifier, TConfigSearch search)
    : Notifier(notifier), Search(std::move(search)) {}

TPresetReport::~TPresetReport() = default;

std::string TPresetReport::Build(const std::string& fileName) {
    return Build(fileName, UserDecimalSeparator());
}

namespace {

// Reads the file's messages until its end or its first problem, sending the
// report events of every message.
class TFileReader {
public:
    TFileReader(TByteInput& in, TPresetBuilder& builder, const IPresetSink& sink,
                TRenderState& state, IUserNotifier& notifier, const TConfigSearch& search,
                char decimalSeparator)
        : In(in), Builder(builder), Sink(sink), State(state), Notifier(notifier), Search(search),
          DecimalSeparator(decimalSeparator) {}

    void ReadAll(int32_t& columnCount) {
        while (!Sink.Finished() && Message.ReadHeader(In)) {
            if (!Assembler) {
                if (!StartFile(columnCount)) {
                    return;
                }
            } else if (Message.GetProductId() != ProductId) {
                Notifier.ShowError(InconsistentProductText);
                return;
            }
            if (Message.ReadBody(In) < 1) {
                continue;
            }
            Assembler->HandleBody(Message, Message.GetMessageId());
        }
    }

private:
    // The first message names the product whose configuration the file needs.
    bool StartFile(int32_t& columnCount) {
        ProductId = Message.GetProductId();
        const TQvrConfig* config = Search.Loaded ? Search.Loaded(ProductId) : nullptr;
        if (config == nullptr) {
            OwnConfig = LoadProductConfig(ProductId, Search, Notifier);
            config = OwnConfig.get();
        }
        if (config == nullptr) {
            return false;
        }
        Context.emplace(TRenderContext{*config, Builder, State, Notifier, DecimalSeparator});
        Assembler.emplace(*Context, ProductId, columnCount);
        return true;
    }

    TByteInput& In;
    TPresetBuilder& Builder;
    const IPresetSink& Sink;
    TRenderState& State;
    IUserNotifier& Notifier;
    const TConfigSearch& Search;
    char DecimalSeparator;

    TKorvaneQVRSysEx Message;
    uint8_t ProductId = 0;
    std::unique_ptr<TQvrConfig> OwnConfig; // a configuration loaded for this file alone
    std::optional<TRenderContext> Context;
    std::optional<TPresetAssembler> Assembler;
};

} // namespace

std::string TPresetReport::Build(const std::string& fileName, char decimalSeparator) {
    TStringTarget document;
    THtmlSink html(document, ColumnCount);
    Emit(fileName, html, decimalSeparator);
    return std::move(document.Text);
}

void TPresetReport::Emit(const std::string& fileName, IPresetSink& sink, char decimalSeparator,
                         TInputRule rule) {
    TInputFile file = TInputFile::Open(fileName, rule);
    if (!file.IsOpen()) {
        // A file that cannot be opened reads as an empty one.
        TMemoryInput none(nullptr, 0);
        Emit(none, sink, decimalSeparator);
        return;
    }
    TInputBytes in(file);
    Emit(in, sink, decimalSeparator);
}

namespace {

// Shows the messages of a load, with their preset when the notifier can, and
// tells the sink each with the preset it was met in.
class TPlacedNotifier : public IUserNotifier {
public:
    TPlacedNotifier(IUserNotifier& shown, IPresetSink& sink, const TPresetBuilder& builder)
        : Shown(shown), Placed(dynamic_cast<IPresetMessages*>(&shown)), Sink(sink),
          Builder(builder) {}
    void ShowError(const std::string& text) override { Show(true, text); }
    void ShowWarning(const std::string& text) override { Show(false, text); }

private:
    void Show(bool isError, const std::string& text) {
        const TPreset* preset = Builder.CurrentPreset();
        const TReportMessage message{isError, text, Builder.CurrentPresetIndex(),
                                     preset != nullptr ? preset->Number : std::nullopt};
        if (Placed != nullptr) {
            Placed->ShowInPreset(message);
        } else if (isError) {
            Shown.ShowError(text);
        } else {
            Shown.ShowWarning(text);
        }
        Sink.Message(message);
    }

    IUserNotifier& Shown;
    IPresetMessages* Placed;
    IPresetSink& Sink;
    const TPresetBuilder& Builder;
};

} // namespace

void TPresetReport::Emit(TByteInput& in, IPresetSink& sink, char decimalSeparator) {
    State.ResetPositions();
    State.ResetNameSlots();

    TPresetBuilder builder(sink);
    TPlacedNotifier notifier(Notifier, sink, builder);
    TFileReader reader(in, builder, sink, State, notifier, Search, decimalSeparator);
    ShowSysExProblems(notifier, [&] { reader.ReadAll(ColumnCount); });
    State.ResetPositions();
    builder.ReportEnd();
}

} // namespace qvr
