#include "report/ReportFormat.h"

#include "report/CsvSink.h"
#include "report/HtmlSink.h"
#include "report/JsonSink.h"
#include "report/TextSink.h"

namespace qvr {

namespace {

// Passes messages on to the user and into the JSON document.
class TJsonMessages : public IUserNotifier {
public:
    TJsonMessages(IUserNotifier& shown, TJsonSink& json) : Shown(shown), Json(json) {}
    void ShowError(const std::string& text) override {
        Shown.ShowError(text);
        Json.Message("error", text);
    }
    void ShowWarning(const std::string& text) override {
        Shown.ShowWarning(text);
        Json.Message("warning", text);
    }

private:
    IUserNotifier& Shown;
    TJsonSink& Json;
};

// Passes messages on to the user only.
class TPassOn : public IUserNotifier {
public:
    explicit TPassOn(IUserNotifier& shown) : Shown(shown) {}
    void ShowError(const std::string& text) override { Shown.ShowError(text); }
    void ShowWarning(const std::string& text) override { Shown.ShowWarning(text); }

private:
    IUserNotifier& Shown;
};

} // namespace

std::optional<TReportFormat> ReportFormatByName(std::string_view name) {
    if (name == "html") {
        return TReportFormat::Html;
    }
    if (name == "text") {
        return TReportFormat::Text;
    }
    if (name == "csv") {
        return TReportFormat::Csv;
    }
    if (name == "json") {
        return TReportFormat::Json;
    }
    return std::nullopt;
}

TReportWriter MakeReportWriter(TReportFormat format, IByteTarget& target,
                               const std::string& fileName, int32_t columnCount,
                               IUserNotifier& shown) {
    TReportWriter writer;
    switch (format) {
    case TReportFormat::Html:
        writer.Sink = std::make_unique<THtmlSink>(target, columnCount);
        break;
    case TReportFormat::Text:
        writer.Sink = std::make_unique<TTextSink>(target);
        break;
    case TReportFormat::Csv:
        writer.Sink = std::make_unique<TCsvSink>(target, fileName);
        break;
    case TReportFormat::Json: {
        auto json = std::make_unique<TJsonSink>(target);
        writer.Notifier = std::make_unique<TJsonMessages>(shown, *json);
        writer.Sink = std::move(json);
        return writer;
    }
    }
    writer.Notifier = std::make_unique<TPassOn>(shown);
    return writer;
}

} // namespace qvr
