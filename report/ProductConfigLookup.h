#pragma once

#include "base/UserNotifier.h"
#include "config/Qvrconfig.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

// Where the product configuration file of a preset's model is looked for.
struct TConfigSearch {
    // The editor's folder. When unset it is read from the settings store
    // (the machine-wide application path of the editor program).
    std::optional<std::string> EditorFolder;
    // The folder of the program's data, ending with a path separator: the fallback. When
    // empty, ProgramDataFolder() (platform/ProgramPath.h).
    std::string ProgramFolder;
    // When set, asked first for a product's configuration: one it returns is used as it is
    // and no file is looked for or read; null means the usual lookup. Lets a caller that
    // reports many files of the same few models load each configuration once.
    std::function<const TQvrConfig*(uint8_t productId)> Loaded = nullptr;
};

// Name of the configuration file of a product ("QVR3.cfg"), or empty for a
// product the viewer cannot show.
std::string ProductConfigFileName(uint8_t productId);

// The editor's folder as the settings store records it (machine-wide root,
// the editor's application path key, value "Path"); empty when not recorded.
std::string RecordedEditorFolder();

// Every configuration file a lookup with this search could load: each product's file in
// the editor's folder and in the program's folder.
std::vector<std::string> ProductConfigPaths(const TConfigSearch& search);

// Finds and loads the configuration of a product. Every failure that the user
// has to know about is shown through the notifier and yields nullptr; the two
// library errors of a malformed file (range and conversion errors) pass on.
std::unique_ptr<TQvrConfig> LoadProductConfig(uint8_t productId, const TConfigSearch& search,
                                              IUserNotifier& notifier);

} // namespace qvr
