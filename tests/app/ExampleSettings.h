#pragma once

#include "platform/Regaccess.h"

#include <QTemporaryDir>

namespace qvr::test {

// A settings store in `folder` where the bundled configuration files stand in for the editor's
// folder, for the end-to-end runs of the whole viewer.
inline bool UseExampleConfiguration(const QTemporaryDir& folder) {
    SetRegistryLocation({folder.filePath(QStringLiteral("user.reg")).toStdString(),
                         folder.filePath(QStringLiteral("system.reg")).toStdString()});
    TRegAccess reg;
    reg.SetRootKey(TRegRoot::LocalMachine);
    if (!reg.OpenKey("Software\\MicroSoft\\Windows\\CurrentVersion\\App Paths\\Kelvaro.EXE",
                     true)) {
        return false;
    }
    reg.WriteString("Path", QVR_EXAMPLES_DIR "/config/");
    return true;
}

} // namespace qvr::test
