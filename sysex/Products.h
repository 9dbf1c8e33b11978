#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qvr {

// A model the viewer shows: the product id its messages carry, its name, the name of its
// configuration file and the extensions of its preset and backup files (without the dot).
struct TProduct {
    uint8_t Id;
    std::string_view Model;
    std::string_view ConfigFile;
    std::string_view PresetExtension;
    std::string_view BackupExtension;

    // File-type names as the open dialog and the desktop list them ("QVR-3 Preset").
    std::string PresetTypeName() const { return std::string(Model) + " Preset"; }
    std::string BackupTypeName() const { return std::string(Model) + " Backup"; }
};

// Every model the viewer shows, in the order in which lists present them. Adding a model is
// one row here, its configuration file and its examples.
inline constexpr std::array<TProduct, 5> ProductTable{{
    {0x56, "QVR-1", "QVR1.cfg", "q1p", "q1a"},
    {0x57, "QVR-2", "QVR2.cfg", "q2p", "q2a"},
    {0x5A, "QVR-3", "QVR3.cfg", "q3p", "q3a"},
    {0x5B, "KDT-3", "KDT3.cfg", "k3p", "k3a"},
    {0x58, "Tindrel3", "Tindrel3.cfg", "t3p", "t3a"},
}};

constexpr std::span<const TProduct> Products() {
    return ProductTable;
}

// The model that `pred` accepts, or nullptr.
template <class Pred> constexpr const TProduct* FindProduct(Pred pred) {
    const auto it = std::find_if(ProductTable.begin(), ProductTable.end(), pred);
    return it == ProductTable.end() ? nullptr : &*it;
}

// The model with this product id, this preset or backup extension (without the dot, matched
// exactly) or this name; nullptr when there is none.
constexpr const TProduct* ProductById(uint8_t id) {
    return FindProduct([id](const TProduct& p) { return p.Id == id; });
}
constexpr const TProduct* ProductByExtension(std::string_view extension) {
    return FindProduct([extension](const TProduct& p) {
        return p.PresetExtension == extension || p.BackupExtension == extension;
    });
}
constexpr const TProduct* ProductByModel(std::string_view model) {
    return FindProduct([model](const TProduct& p) { return p.Model == model; });
}

// Name for a product id, for headings and messages: the model's name, the name of one of the
// maker's older products, or "Product Id N" with the id read as a signed byte.
std::string ModelName(uint8_t productId);

} // namespace qvr
