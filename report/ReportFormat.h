#pragma once

#include "base/ByteTarget.h"
#include "report/JsonSink.h" // TDocumentSource
#include "report/PresetModel.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace qvr {

// The formats a report can be written in.
enum class TReportFormat { Html, Text, Csv, Json };

// The format a name (html, text, csv, json) gives; none for any other name.
std::optional<TReportFormat> ReportFormatByName(std::string_view name);

// A sink that writes the report of `source.File` to `target` in `format`.
// `columnCount` is for HTML; JSON and CSV name the source.
std::unique_ptr<IPresetSink> MakeReportWriter(TReportFormat format, IByteTarget& target,
                                              const TDocumentSource& source, int32_t columnCount);

} // namespace qvr
