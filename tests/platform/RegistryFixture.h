#pragma once

#include "platform/Regaccess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace qvr::test {

// Gives every test an empty folder of its own for the user and system registry files.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        UserFile = (Dir / "user" / "registry.reg").string();
        SystemFile = (Dir / "system.reg").string();
        SetRegistryLocation({UserFile, SystemFile});
    }
    void TearDown() override { SetRegistryLocation(DefaultRegistryLocation()); }

    static constexpr const char* SettingsKey = "Software\\Brindmoor\\QVRviewer";
    static constexpr const char* SettingsSection =
        "[HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer]\n";
    static constexpr const char* EditorKey =
        "Software\\MicroSoft\\Windows\\CurrentVersion\\App Paths\\Kelvaro.EXE";

    TTempFolder Temp;
    const std::filesystem::path Dir = Temp.Path();
    std::string UserFile;
    std::string SystemFile;
};

} // namespace qvr::test
