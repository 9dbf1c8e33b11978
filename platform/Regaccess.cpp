#include "platform/Regaccess.h"

#include "platform/RegistryFile.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace qvr {

namespace {

// Longest text a string read returns; longer stored text is cut to this many bytes, so that
// every reader of a setting gets a bounded value.
constexpr size_t MaxStringLength = 255;

std::mutex LocationMutex;
std::optional<TRegistryLocation> LocationOverride;

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* pw = ::getpwuid(::getuid());
    return pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "";
}

// Joins non-empty segments of `path` with '\'.
std::string NormaliseKeyPath(const std::string& path) {
    std::string out;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > start) {
            if (!out.empty()) {
                out += '\\';
            }
            out.append(path, start, end - start);
        }
        start = end + 1;
    }
    return out;
}

TRegFileState LoadDocument(const std::string& file, TRegDocument& doc) {
    std::string text;
    TRegFileState state = LoadRegistryFile(file, text);
    doc.Parse(text);
    return state;
}

// One read-modify-write of the user file under the writers' lock: the file is read again
// once the lock is held, `change` edits it, and it is written back whole. False, with the
// file as it was, on any failure; a file that could not be read is never rewritten, as its
// contents would be lost. A lock held by another program for too long, or planted, is an
// exception that says so: a user whose settings are never saved has to know.
template <class TChange>
bool UpdateUserFile(const std::string& file, TRegDocument& doc, TChange change) {
    const TRegistryWriteLock lock(file);
    if (!lock.Problem().empty()) {
        throw ERegistryException("The settings cannot be saved: " + lock.Problem());
    }
    if (!lock.Held() || LoadDocument(file, doc) == TRegFileState::Unreadable || !change(doc)) {
        return false;
    }
    const std::string text = doc.Text();
    return text.size() <= MaxRegistryFileSize && SaveRegistryFile(file, text);
}

} // namespace

TRegistryLocation DefaultRegistryLocation() {
    TRegistryLocation loc;
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') { // relative values are to be ignored
        base = xdg;
    } else if (std::string home = HomeFolder(); !home.empty()) {
        base = home + "/.config";
    }
    if (!base.empty()) {
        loc.UserFile = base + "/oktrel/registry.reg";
    }
    loc.SystemFile = "/etc/oktrel/registry.reg";
    return loc;
}

void SetRegistryLocation(const TRegistryLocation& loc) {
    std::lock_guard lock(LocationMutex);
    LocationOverride = loc;
}

TRegistryLocation CurrentRegistryLocation() {
    {
        std::lock_guard lock(LocationMutex);
        if (LocationOverride) {
            return *LocationOverride;
        }
    }
    return DefaultRegistryLocation();
}

TRegAccess::TRegAccess() = default;

TRegAccess::~TRegAccess() {
    CloseKey();
}

void TRegAccess::SetRootKey(TRegRoot root) {
    CloseKey();
    Root = root;
}

std::string TRegAccess::FullPath(const std::string& relative) const {
    std::string full = Root == TRegRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
    if (!relative.empty()) {
        full += "\\" + relative;
    }
    return full;
}

bool TRegAccess::OpenKey(const std::string& path, bool canCreate) {
    std::string relative = path;
    if (!path.empty() && path.front() != '\\' && KeyOpen && !KeyPath.empty()) {
        relative = KeyPath + "\\" + path;
    }
    relative = NormaliseKeyPath(relative);
    const std::string full = FullPath(relative);

    TRegistryLocation location = CurrentRegistryLocation();
    TRegDocument user;
    TRegDocument system;
    const TRegFileState userState = LoadDocument(location.UserFile, user);
    if (Root == TRegRoot::LocalMachine) {
        LoadDocument(location.SystemFile, system);
    }

    bool exists = relative.empty() || user.HasKey(full) ||
                  (Root == TRegRoot::LocalMachine && system.HasKey(full));
    if (!exists) {
        if (!canCreate || userState == TRegFileState::Unreadable ||
            !UpdateUserFile(location.UserFile, user,
                            [&](TRegDocument& doc) { return doc.AddKey(full); })) {
            return false;
        }
    }
    KeyOpen = true;
    KeyPath = relative;
    Location = std::move(location);
    UserDoc = std::move(user);
    SystemDoc = std::move(system);
    return true;
}

void TRegAccess::CloseKey() {
    KeyOpen = false;
    KeyPath.clear();
}

const TRegValue* TRegAccess::FindValue(const std::string& name) const {
    if (!KeyOpen) {
        return nullptr;
    }
    const std::string full = FullPath(KeyPath);
    if (const TRegValue* v = UserDoc.FindValue(full, name)) {
        return v;
    }
    if (Root == TRegRoot::LocalMachine) {
        return SystemDoc.FindValue(full, name);
    }
    return nullptr;
}

int32_t TRegAccess::ReadIntegerDefault(const std::string& name, int32_t def) {
    const TRegValue* v = FindValue(name);
    if (v == nullptr || v->Type != RegDword || v->Data.size() != 4) {
        return def;
    }
    uint32_t n = 0;
    for (size_t i = 4; i-- > 0;) {
        n = (n << 8) | static_cast<unsigned char>(v->Data[i]);
    }
    return static_cast<int32_t>(n);
}

std::string TRegAccess::ReadStringDefault(const std::string& name, const std::string& def) {
    const TRegValue* v = FindValue(name);
    if (v == nullptr) {
        return def;
    }
    if (v->Data.empty()) { // no data at all reads as empty text, whatever the type
        return {};
    }
    if (v->Type != RegSz && v->Type != RegExpandSz) {
        return def;
    }
    // The text ends at its first NUL, as a C string read from the registry does.
    std::string text = v->Data.substr(0, v->Data.find('\0'));
    if (text.size() > MaxStringLength) {
        text.resize(MaxStringLength);
    }
    return text;
}

void TRegAccess::WriteValue(const std::string& name, const TRegValue& value) {
    const std::string failure = "Failed to set data for '" + name + "'";
    if (!KeyOpen) {
        throw ERegistryException(failure);
    }
    // Start from the file as it is now, so values written meanwhile by others survive.
    TRegDocument user;
    if (!UpdateUserFile(Location.UserFile, user, [&](TRegDocument& doc) {
            return doc.SetValue(FullPath(KeyPath), name, value);
        })) {
        throw ERegistryException(failure);
    }
    UserDoc = std::move(user);
}

void TRegAccess::WriteInteger(const std::string& name, int32_t value) {
    TRegValue v{RegDword, {}};
    auto n = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        v.Data += static_cast<char>((n >> (8 * i)) & 0xFF);
    }
    WriteValue(name, v);
}

void TRegAccess::WriteString(const std::string& name, const std::string& value) {
    WriteValue(name, TRegValue{RegSz, value});
}

} // namespace qvr
