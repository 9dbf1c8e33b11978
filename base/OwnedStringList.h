#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace qvr {

// An ordered list of names, each with an object that the list owns. Keeps the
// order of adding and duplicate names; never sorted. Lookups by name are the
// caller's linear scans, where the first match wins.
template <class T> class TOwnedStringList {
public:
    size_t Count() const { return Entries.size(); }
    const std::string& Name(size_t i) const { return Entries.at(i).Name; }
    T& Object(size_t i) { return *Entries.at(i).Object; }
    const T& Object(size_t i) const { return *Entries.at(i).Object; }

    // Every entry has an object: a null one is refused.
    void Add(std::string name, std::unique_ptr<T> obj) {
        if (!obj) {
            throw std::invalid_argument("TOwnedStringList::Add: no object");
        }
        Entries.push_back(TEntry{std::move(name), std::move(obj)});
    }

    // Releases the entry's object, then removes the entry.
    void Delete(size_t i) {
        Entries.at(i).Object.reset();
        Entries.erase(Entries.begin() + static_cast<std::ptrdiff_t>(i));
    }

    void Clear() { Entries.clear(); }

private:
    struct TEntry {
        std::string Name;
        std::unique_ptr<T> Object;
    };
    std::vector<TEntry> Entries;
};

} // namespace qvr
