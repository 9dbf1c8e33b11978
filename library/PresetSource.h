#pragma once

#include "library/LibraryPreset.h"
#include "report/ProductConfigLookup.h" // TConfigSearch

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

// What reading one file gave besides its presets.
struct TSourceResult {
    std::string Model; // empty when the file names none
    // Messages shown while reading, in order: "error: TEXT" or "warning: TEXT".
    std::vector<std::string> Errors;
};

// Reads a preset or backup file and hands each preset on in file order, once
// it is final. The file's problems do not throw: they end reading and are in
// Errors, with every preset read before them handed on. Configurations are
// loaded once per model for the life of the object.
class TPresetSource {
public:
    explicit TPresetSource(TConfigSearch search);
    ~TPresetSource();
    TPresetSource(const TPresetSource&) = delete;
    TPresetSource& operator=(const TPresetSource&) = delete;

    TSourceResult Read(const std::string& file, const std::function<void(TLibPreset&&)>& onPreset);

private:
    struct TCache;
    TConfigSearch Search;
    std::unique_ptr<TCache> Cache;
};

} // namespace qvr
