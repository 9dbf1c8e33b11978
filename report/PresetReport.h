#pragma once

#include "base/UserNotifier.h"
#include "platform/InputFile.h"
#include "report/ColumnCount.h"
#include "report/PresetModel.h"
#include "report/ProductConfigLookup.h" // TConfigSearch
#include "report/RenderState.h"
#include "sysex/ByteInput.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qvr {

// Turns preset and backup files into the report: the HTML document, or the
// presets for a sink of any format. The main window
// (and the exporter) owns one for the whole run; it holds the column count and
// the rendering state that a load sets up and uses.
class TPresetReport {
public:
    TPresetReport(IUserNotifier& notifier, TConfigSearch search);
    ~TPresetReport();
    TPresetReport(const TPresetReport&) = delete;
    TPresetReport& operator=(const TPresetReport&) = delete;

    static constexpr int32_t DefaultColumnCount = qvr::DefaultColumnCount;
    static constexpr int32_t MaxColumnCount = qvr::MaxColumnCount;

    // Columns of the report table; a value outside 1..MaxColumnCount is
    // replaced by DefaultColumnCount at the first preset header of a load.
    int32_t ColumnCount = DefaultColumnCount;

    // Reads the file and returns the whole report document (bytes as written
    // to the report file). Problems of the file are shown through the notifier
    // and end reading; whatever was gathered is still in the document. A file
    // that cannot be opened reads as an empty file. Any other failure (for
    // instance a library error while loading the configuration) is thrown.
    std::string Build(const std::string& fileName);

    // The same, with the decimal separator of numbers given instead of taken
    // from the user's locale.
    std::string Build(const std::string& fileName, char decimalSeparator);

    // Reads the file and hands its presets to `sink`, in order, ReportEnd
    // included: the same report in any format. Each message shown goes to the
    // sink too, with the preset it was met in (and so to the notifier, when
    // it is an IPresetMessages). An exception that escapes
    // leaves the sink without its ReportEnd. The file is opened once by
    // `rule`; one that this refuses (a FIFO, one larger than MaxInputSize)
    // reads as an empty file, as one that cannot be opened does.
    void Emit(const std::string& fileName, IPresetSink& sink, char decimalSeparator,
              TInputRule rule = TInputRule::File);
    // The same for bytes already open, such as standard input.
    void Emit(TByteInput& in, IPresetSink& sink, char decimalSeparator);

private:
    IUserNotifier& Notifier;
    TConfigSearch Search;
    // Set up and used by each load.
    TRenderState State;
};

} // namespace qvr
