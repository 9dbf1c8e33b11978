#pragma once

#include "base/UserNotifier.h"
#include "report/PresetCompare.h"
#include "report/PresetRange.h"
#include "report/ProductConfigLookup.h"
#include "report/SummarySink.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qvr {

// Where the main window gets a report document from.
class IReportSource {
public:
    virtual ~IReportSource() = default;
    // Builds the document of the file in columnCount columns; a count outside
    // the valid range is corrected in place. Problems of the file go to the
    // notifier; anything else is thrown.
    // The file "-" is the bytes given by KeepStandardInput, read before the window showed.
    virtual std::string Build(const std::string& fileName, int32_t& columnCount) = 0;
    // The report of the presets in `range` alone, read again from the file (or the kept
    // standard input) in columnCount columns; its messages were shown by Build and are not shown
    // again.
    virtual std::string BuildPart(const std::string& fileName, int32_t columnCount,
                                  TPresetRange range) = 0;
    // Keeps what came on standard input, for Build("-").
    virtual void KeepStandardInput(std::string bytes) { (void)bytes; }
    // What the last Build read (model and preset count), and its presets in file order.
    virtual TReportSummary LastSummary() const = 0;
    virtual std::vector<TPresetLabel> LastPresets() const = 0;
    // How many presets of the last Build have no heading: modules before the file's first
    // preset header make one. The library counts it among the file's presets; the report
    // shows it above the first heading.
    virtual int LastPresetsWithoutHeading() const = 0;
};

// Where the viewer looks for configuration files: the editor's recorded folder, then the
// program's folder.
TConfigSearch ViewerConfigSearch();

// The real one, over the report layer; it reports through the given notifier.
std::unique_ptr<IReportSource> MakePresetReportSource(IUserNotifier& notifier);

} // namespace qvr
