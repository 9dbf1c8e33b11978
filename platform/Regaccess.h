#pragma once

#include "platform/RegistryDocument.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qvr {

enum class TRegRoot { CurrentUser, LocalMachine };

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the registry stand-in keeps its data. The user file holds HKEY_CURRENT_USER and may
// hold HKEY_LOCAL_MACHINE keys too; the system file supplies HKEY_LOCAL_MACHINE only.
struct TRegistryLocation {
    std::string UserFile;
    std::string SystemFile;
};

// $XDG_CONFIG_HOME/oktrel/registry.reg (or ~/.config/oktrel/registry.reg) and
// /etc/oktrel/registry.reg.
TRegistryLocation DefaultRegistryLocation();
// Tests and tools redirect the store; every accessor opened afterwards uses the new place.
void SetRegistryLocation(const TRegistryLocation& loc);
TRegistryLocation CurrentRegistryLocation();

// Registry accessor over the text-file registry. Callers set the root, open one key, read or
// write, close the key and drop the accessor at once.
//
// HKEY_LOCAL_MACHINE reads merge both files value by value, the user file winning; its keys
// exist when either file has them. Every write (HKEY_LOCAL_MACHINE included) goes to the user
// file, so the system file stays the administrator's. Writes reach the file at once, each as
// one atomic replacement of the file, so there is nothing left to flush at close.
class TRegAccess {
public:
    TRegAccess();
    ~TRegAccess();
    TRegAccess(const TRegAccess&) = delete;
    TRegAccess& operator=(const TRegAccess&) = delete;

    // Closes an open key; later opens are relative to this root.
    void SetRootKey(TRegRoot root);
    // A path starting with '\' is taken from the root; any other path from the open key, if
    // there is one. Without canCreate a missing key fails and nothing is created.
    bool OpenKey(const std::string& path, bool canCreate);
    void CloseKey();

    void WriteInteger(const std::string& name, int32_t value);
    void WriteString(const std::string& name, const std::string& value);

    // Never fail: a missing key or value, or a value of another type, gives `def`.
    int32_t ReadIntegerDefault(const std::string& name, int32_t def);
    // Returns at most 255 characters: a longer value is cut to its first 255 characters.
    std::string ReadStringDefault(const std::string& name, const std::string& def);

    bool HasCurrentKey() const { return KeyOpen; }
    // The open key's path below the root, segments joined by '\'.
    const std::string& CurrentPath() const { return KeyPath; }

private:
    std::string FullPath(const std::string& relative) const;
    const TRegValue* FindValue(const std::string& name) const;
    void WriteValue(const std::string& name, const TRegValue& value);

    TRegRoot Root = TRegRoot::CurrentUser;
    bool KeyOpen = false;
    std::string KeyPath;
    TRegistryLocation Location;
    TRegDocument UserDoc;
    TRegDocument SystemDoc;
};

} // namespace qvr
