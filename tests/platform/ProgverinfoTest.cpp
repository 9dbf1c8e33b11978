#include "platform/Progverinfo.h"

#include "platform/ProgramPath.h"
#include "platform/VersionBlob.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

// The resource that this test program links.
TEST(VerInfo, ReadsTheRunningProgram) {
    TVerInfo info;
    EXPECT_EQ(info.FileName, ProgramFilePath());
    EXPECT_EQ(info.GetProductName(), "Oktrel(tm) Preset Viewer");
    EXPECT_EQ(info.GetProductVersion(), "1.1e");
    EXPECT_EQ(info.GetVersionString("FileDescription"), "Oktrel(tm) Preset Viewer");
    EXPECT_EQ(info.GetVersionString("FileVersion"), "1.1.5.0");
    EXPECT_EQ(info.GetCopyright(), "Copyright (C) 2026 The Oktrel Viewer authors");
    const std::string comments = info.GetComments();
    EXPECT_NE(comments.find("Korvane"), std::string::npos);
    EXPECT_NE(comments.find("QVR"), std::string::npos);
    EXPECT_EQ(info.GetVersionString("NoSuchValue"), "");
    EXPECT_EQ(info.GetVersionString(""), "");
}

TEST(VerInfo, ReaderLibraryHoldsNoResource) {
    std::ifstream in(QVR_PLATFORM_LIBRARY, std::ios::binary);
    ASSERT_TRUE(in);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.find(VersionMarker()), std::string::npos);
    EXPECT_EQ(TVerInfo(QVR_PLATFORM_LIBRARY).GetProductName(), "");
}

class VerInfoFile : public ::testing::Test {
protected:
    void Write(const std::string& bytes) { std::ofstream(File, std::ios::binary) << bytes; }
    TVerInfo Info() const { return TVerInfo(File); }

    TTempFolder Temp;
    const std::string File = (Temp.Path() / "program").string();
};

const TVersionEntry English[] = {
    {"\\StringFileInfo\\040904E4\\ProductName", "Name"},
    {"\\StringFileInfo\\040904E4\\ProductVersion", "2.0"},
};
const TVersionEntry German[] = {
    {"\\StringFileInfo\\040704B0\\ProductName", "Name"},
    {"\\StringFileInfo\\040704B0\\ProductVersion", "2.0"},
};

TEST_F(VerInfoFile, FileWithoutResourceOrMissingFile) {
    Write(std::string(100000, 'x') + VersionMarker().substr(0, 10));
    EXPECT_EQ(Info().GetProductName(), "");
    fs::remove(File);
    EXPECT_EQ(Info().GetProductName(), "");
    EXPECT_EQ(TVerInfo(fs::temp_directory_path().string()).GetProductName(), "");
}

TEST_F(VerInfoFile, OtherLanguageBlockGivesNothing) {
    Write("\x7f"
          "ELF junk" +
          MakeVersionBlob(German) + "tail");
    EXPECT_EQ(Info().GetProductName(), "");
    EXPECT_EQ(Info().GetProductVersion(), "");
}

TEST_F(VerInfoFile, FindsBlobAnywhereInTheFile) {
    const std::string blob = MakeVersionBlob(English);
    const size_t offsets[] = {0, 1, VersionScanChunkSize - 5, VersionScanChunkSize,
                              3 * VersionScanChunkSize + 7};
    for (size_t offset : offsets) {
        Write(std::string(offset, '\0') + blob);
        EXPECT_EQ(Info().GetProductName(), "Name") << offset;
        EXPECT_EQ(Info().GetProductVersion(), "2.0") << offset;
    }
}

// Damaged resources are passed over: a good one behind them is still found, and none of
// them is read past its end.
TEST_F(VerInfoFile, DamagedBlobsArePassedOver) {
    const std::string good = MakeVersionBlob(English);
    const std::string marker = VersionMarker();
    const size_t lengthAt = marker.size();
    auto withLength = [&](uint32_t n) {
        std::string b = good;
        for (int i = 0; i < 4; ++i) {
            b[lengthAt + static_cast<size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
        }
        return b;
    };
    std::string flipped = good;
    flipped[lengthAt + 10] ^= 1; // payload no longer matches its hash
    std::string unterminated = MakeVersionBlob(std::vector<TVersionEntry>{{"a", "b"}});
    unterminated[unterminated.size() - 5] = 'x'; // last NUL gone, hash made to match
    const uint32_t hash = VersionPayloadHash(
        reinterpret_cast<const unsigned char*>(unterminated.data()) + lengthAt + 4, 4);
    for (int i = 0; i < 4; ++i) {
        unterminated[unterminated.size() - 4 + static_cast<size_t>(i)] =
            static_cast<char>((hash >> (8 * i)) & 0xFF);
    }
    const std::string damaged[] = {
        marker,                 // nothing after the marker
        marker + "\x05",        // cut length
        withLength(0),          // empty payload
        withLength(0xFFFFFFFF), // far too long
        withLength(static_cast<uint32_t>(MaxVersionPayload + 1)),
        good.substr(0, good.size() - 1), // cut hash
        flipped,
        unterminated,
    };
    for (const std::string& bad : damaged) {
        Write(bad);
        EXPECT_EQ(Info().GetProductName(), "");
        Write(bad + good);
        EXPECT_EQ(Info().GetProductName(), "Name");
    }
}

} // namespace
} // namespace qvr::test
