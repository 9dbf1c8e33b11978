#pragma once

#include "library/LibraryPreset.h"
#include "platform/InputFile.h"
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
    // The configurations the file asked for, as they were: ConfigStamps() of
    // their products; empty when it asked for none.
    std::string Configs;
};

// Reads a preset or backup file and hands each preset on in file order, once
// it is final. The file's problems do not throw: they end reading and are in
// Errors, with every preset read before them handed on. Configurations are
// loaded once per model for the life of the object.
// What the input's check throws to stop the reading is no problem of the
// file: it passes through, unless it is a std::exception.
class TPresetSource {
public:
    explicit TPresetSource(TConfigSearch search);
    ~TPresetSource();
    TPresetSource(const TPresetSource&) = delete;
    TPresetSource& operator=(const TPresetSource&) = delete;

    // Reads the rest of `file`, which stays open.
    TSourceResult Read(TInputFile& file, const std::function<void(TLibPreset&&)>& onPreset);

    // "ID=STAMP" for each product (blank-separated, in order), STAMP standing
    // for the names, sizes and times of the configuration files its lookup
    // could load: it changes when one of them appears, goes or changes. A file
    // read with other stamps than the current ones may read differently now.
    std::string ConfigStamps(const std::vector<uint8_t>& products) const;
    // The same for the products that `recorded` (an earlier result) names.
    std::string ConfigStampsNow(std::string_view recorded) const;

private:
    struct TCache;
    TConfigSearch Search;
    std::unique_ptr<TCache> Cache;
};

} // namespace qvr
