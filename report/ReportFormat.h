#pragma once

#include "base/ByteTarget.h"
#include "base/UserNotifier.h"
#include "report/ReportSink.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qvr {

// The formats a report can be written in.
enum class TReportFormat { Html, Text, Csv, Json };

// The format a name (html, text, csv, json) gives; none for any other name.
std::optional<TReportFormat> ReportFormatByName(std::string_view name);

// A sink that writes the report of `fileName` to `target` in `format`, and a
// notifier that shows every message through `shown` and, in JSON, also puts
// it into the document. `columnCount` is for HTML.
struct TReportWriter {
    std::unique_ptr<IReportSink> Sink;
    std::unique_ptr<IUserNotifier> Notifier;
};
TReportWriter MakeReportWriter(TReportFormat format, IByteTarget& target,
                               const std::string& fileName, int32_t columnCount,
                               IUserNotifier& shown);

} // namespace qvr
