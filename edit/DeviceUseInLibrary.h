#pragma once

#include "edit/DeviceUse.h"
#include "library/Sqlite.h"

#include <memory>
#include <string>

namespace qvr {

// What a library's database shows that the devices of `model` use: the values it holds for
// each parameter, asked as an edit needs them (throws ELibraryDatabase then), and the names of
// the model's presets, read now (throws ELibraryDatabase).
TDeviceUse DeviceUseInLibrary(std::shared_ptr<TSqlite> database, const std::string& model);

} // namespace qvr
