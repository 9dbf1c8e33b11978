#include "platform/Progverinfo.h"

#include "platform/ProgramPath.h"
#include "platform/VersionBlob.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string_view>

namespace qvr {

namespace {

// Read through a volatile so that the compiler cannot fold the marker into this code.
volatile unsigned char MarkerMask = VersionMarkerMask;

uint32_t Get32(const char* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(p[i]);
    }
    return v;
}

// The payload of a well-formed blob whose marker ends at `offset`, or nothing.
std::optional<std::string> ReadPayloadAt(const std::string& fileName, uint64_t offset) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in.seekg(static_cast<std::streamoff>(offset))) {
        return std::nullopt;
    }
    char word[4];
    if (!in.read(word, 4)) {
        return std::nullopt;
    }
    const uint32_t size = Get32(word);
    if (size == 0 || size > MaxVersionPayload) {
        return std::nullopt;
    }
    std::string payload(size, '\0');
    if (!in.read(payload.data(), size) || !in.read(word, 4)) {
        return std::nullopt;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(payload.data());
    if (Get32(word) != VersionPayloadHash(bytes, payload.size()) || payload.back() != '\0') {
        return std::nullopt;
    }
    return payload;
}

// Looks `key` up in a checked payload (pairs of NUL-terminated strings).
std::string Lookup(std::string_view payload, std::string_view key) {
    while (!payload.empty()) {
        size_t keyEnd = payload.find('\0');
        if (keyEnd == payload.npos) {
            return {};
        }
        size_t valueEnd = payload.find('\0', keyEnd + 1);
        if (valueEnd == payload.npos) {
            return {};
        }
        if (payload.substr(0, keyEnd) == key) {
            return std::string(payload.substr(keyEnd + 1, valueEnd - keyEnd - 1));
        }
        payload.remove_prefix(valueEnd + 1);
    }
    return {};
}

} // namespace

std::string VersionMarker() {
    std::string marker(VersionMarkerSize, '\0');
    const unsigned char mask = MarkerMask;
    for (size_t i = 0; i < VersionMarkerSize; ++i) {
        marker[i] = static_cast<char>(MaskedVersionMarker[i] ^ mask);
    }
    return marker;
}

std::string MakeVersionBlob(std::span<const TVersionEntry> entries) {
    std::string blob(VersionBlobSize(entries), '\0');
    EncodeVersionBlob(entries, reinterpret_cast<unsigned char*>(blob.data()), MarkerMask);
    return blob;
}

TVerInfo::TVerInfo() : FileName(ProgramFilePath()) {}

TVerInfo::TVerInfo(std::string fileName) : FileName(std::move(fileName)) {}

std::string TVerInfo::GetVersionString(const std::string& name) const {
    std::ifstream in(FileName, std::ios::binary);
    if (!in) {
        return {};
    }
    const std::string marker = VersionMarker();
    const std::string key = "\\StringFileInfo\\040904E4\\" + name;
    // `window` holds the tail of the previous piece (shorter than the marker) and the
    // current piece, so a marker across two pieces is found too.
    std::string window;
    uint64_t windowStart = 0;
    std::string chunk(VersionScanChunkSize, '\0');
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<size_t>(in.gcount());
        if (got == 0) {
            break;
        }
        window.append(chunk.data(), got);
        for (size_t at = window.find(marker); at != window.npos; at = window.find(marker, at + 1)) {
            // The first well-formed resource counts; damaged ones are passed over.
            if (auto payload = ReadPayloadAt(FileName, windowStart + at + marker.size())) {
                return Lookup(*payload, key);
            }
        }
        const size_t keep = std::min(window.size(), marker.size() - 1);
        windowStart += window.size() - keep;
        window.erase(0, window.size() - keep);
    }
    return {};
}

} // namespace qvr
