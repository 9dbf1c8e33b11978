#include "report/ReportFormat.h"

#include "report/CsvSink.h"
#include "report/HtmlSink.h"
#include "report/TextSink.h"

namespace qvr {

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

std::unique_ptr<IPresetSink> MakeReportWriter(TReportFormat format, IByteTarget& target,
                                              const TDocumentSource& source, int32_t columnCount) {
    switch (format) {
    case TReportFormat::Html:
        return std::make_unique<THtmlSink>(target, columnCount);
    case TReportFormat::Text:
        return std::make_unique<TTextSink>(target);
    case TReportFormat::Csv:
        return std::make_unique<TCsvSink>(target, source.File);
    case TReportFormat::Json:
        return std::make_unique<TJsonSink>(target, source);
    }
    return nullptr;
}

} // namespace qvr
