#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qvr {

// The version strings that a program carries in its data, and their layout:
//
//   marker (20 bytes) | payload length N (4 bytes, little-endian) | payload (N bytes)
//   | FNV-1a hash of the payload (4 bytes, little-endian)
//
// The payload is a series of NUL-terminated pairs: the sub-block path
// ("\StringFileInfo\040904E4\ProductName") and the value text.
//
// Only the version resource itself holds the marker as it is. Everybody else keeps it masked
// and unmasks it at run time, so that the reader's own code never looks like a resource.
struct TVersionEntry {
    std::string_view Key;
    std::string_view Value;
};

inline constexpr size_t VersionMarkerSize = 20;
inline constexpr unsigned char VersionMarkerMask = 0x5c;
inline constexpr std::array<unsigned char, VersionMarkerSize> MaskedVersionMarker = {
    0x1c, 0x1c, 0x13, 0x17, 0x08, 0x0e, 0x19, 0x10, 0x72, 0x0a,
    0x19, 0x0e, 0x0f, 0x15, 0x13, 0x12, 0x15, 0x12, 0x1a, 0x13};
inline constexpr size_t MaxVersionPayload = 64 * 1024;

constexpr uint32_t VersionPayloadHash(const unsigned char* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        h ^= data[i];
        h *= 16777619u;
    }
    return h;
}

constexpr size_t VersionPayloadSize(std::span<const TVersionEntry> entries) {
    size_t n = 0;
    for (const TVersionEntry& e : entries) {
        n += e.Key.size() + 1 + e.Value.size() + 1;
    }
    return n;
}

constexpr size_t VersionBlobSize(std::span<const TVersionEntry> entries) {
    return VersionMarkerSize + 4 + VersionPayloadSize(entries) + 4;
}

// Writes VersionBlobSize(entries) bytes to `out`; `mask` must be VersionMarkerMask.
constexpr void EncodeVersionBlob(std::span<const TVersionEntry> entries, unsigned char* out,
                                 unsigned char mask) {
    for (size_t i = 0; i < VersionMarkerSize; ++i) {
        *out++ = static_cast<unsigned char>(MaskedVersionMarker[i] ^ mask);
    }
    auto put32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            *out++ = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
        }
    };
    put32(static_cast<uint32_t>(VersionPayloadSize(entries)));
    unsigned char* payload = out;
    for (const TVersionEntry& e : entries) {
        for (char c : e.Key) {
            *out++ = static_cast<unsigned char>(c);
        }
        *out++ = 0;
        for (char c : e.Value) {
            *out++ = static_cast<unsigned char>(c);
        }
        *out++ = 0;
    }
    put32(VersionPayloadHash(payload, static_cast<size_t>(out - payload)));
}

// The marker and a whole blob, made at run time (for the reader and for tests).
std::string VersionMarker();
std::string MakeVersionBlob(std::span<const TVersionEntry> entries);

} // namespace qvr
