#pragma once

#include "edit/DeviceUse.h"
#include "librarian/LibraryOptions.h"

#include <string>

namespace qvr {

// What the library the options name shows that the devices of `model` use: the values it holds
// for each parameter and the names of the model's presets. Nothing when there is no library yet
// (none is made for an edit); a library that cannot be opened is said so for `command` and
// counts as none. The values are asked of the library as an edit needs them; throws
// ELibraryDatabase then, and for the names now.
TDeviceUse LibraryDeviceUse(const char* command, const TLibraryOptions& options,
                            const std::string& model);

} // namespace qvr
