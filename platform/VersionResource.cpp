// The version resource of the program file: linked into every program as an object file so
// that the linker cannot leave it out, and marked used so that the compiler keeps it.
#include "platform/Version.h"
#include "platform/VersionBlob.h"

namespace qvr {
namespace {

constexpr TVersionEntry VersionEntries[] = {
    {"\\VarFileInfo\\Translation", "040904E4"},
    {"\\StringFileInfo\\040904E4\\CompanyName", "The Oktrel Viewer authors"},
    {"\\StringFileInfo\\040904E4\\FileDescription", "Oktrel(tm) Preset Viewer"},
    {"\\StringFileInfo\\040904E4\\FileVersion", ProgramFileVersion},
    {"\\StringFileInfo\\040904E4\\LegalCopyright", "Copyright (C) 2026 The Oktrel Viewer authors"},
    {"\\StringFileInfo\\040904E4\\Comments",
     "Korvane and QVR are trademarks of their respective owners. This viewer is not made, "
     "endorsed or supported by them."},
    {"\\StringFileInfo\\040904E4\\ProductName", "Oktrel(tm) Preset Viewer"},
    {"\\StringFileInfo\\040904E4\\ProductVersion", ProgramProductVersion},
};

constexpr size_t BlobSize = VersionBlobSize(VersionEntries);

constexpr std::array<unsigned char, BlobSize> MakeBlob() {
    std::array<unsigned char, BlobSize> blob{};
    EncodeVersionBlob(VersionEntries, blob.data(), VersionMarkerMask);
    return blob;
}

[[gnu::used]] const std::array<unsigned char, BlobSize> VersionResource = MakeBlob();

} // namespace
} // namespace qvr
