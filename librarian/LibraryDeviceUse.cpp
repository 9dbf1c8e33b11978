#include "librarian/LibraryDeviceUse.h"

#include "edit/DeviceUseInLibrary.h"
#include "library/Schema.h"

#include <filesystem>
#include <memory>

namespace qvr {

TDeviceUse LibraryDeviceUse(const char* command, const TLibraryOptions& options,
                            const std::string& model) {
    const std::string path = options.Database.empty() ? DefaultLibraryPath() : options.Database;
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error)) {
        return {};
    }
    const std::shared_ptr<TLibrary> library(OpenLibraryFor(command, options));
    if (!library) {
        return {};
    }
    // The database lives as long as the library that holds it.
    return DeviceUseInLibrary(std::shared_ptr<TSqlite>(library, &library->Database()), model);
}

} // namespace qvr
