#pragma once

#include "platform/Regaccess.h"

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
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qvr-registry-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        Dir = pattern;
        UserFile = (Dir / "user" / "registry.reg").string();
        SystemFile = (Dir / "system.reg").string();
        SetRegistryLocation({UserFile, SystemFile});
    }
    void TearDown() override {
        SetRegistryLocation(DefaultRegistryLocation());
        std::filesystem::remove_all(Dir);
    }

    static void WriteFile(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    static constexpr const char* SettingsKey = "Software\\Brindmoor\\QVRviewer";
    static constexpr const char* SettingsSection =
        "[HKEY_CURRENT_USER\\Software\\Brindmoor\\QVRviewer]\n";
    static constexpr const char* EditorKey =
        "Software\\MicroSoft\\Windows\\CurrentVersion\\App Paths\\Kelvaro.EXE";

    std::filesystem::path Dir;
    std::string UserFile;
    std::string SystemFile;
};

} // namespace qvr::test
