#include "sysex/Products.h"

namespace qvr {

namespace {

struct TOlderProduct {
    uint8_t Id;
    const char* Model;
};

// The maker's older products: named in messages, never shown.
constexpr std::array<TOlderProduct, 24> OlderProducts{{
    {1, "Arvendi A1"},  {2, "Arvendi A2"},    {3, "Arvendi A3"},  {4, "Bresk 10"},
    {5, "Bresk 20"},    {6, "Bresk 30"},      {7, "Cindral"},     {8, "Cindral Duo"},
    {9, "Dovrin Rack"}, {10, "Dovrin Floor"}, {11, "Elsmar 4"},   {12, "Elsmar 8"},
    {13, "Fenwold"},    {16, "Gorvath"},      {32, "Hallit Mk1"}, {33, "Hallit Mk2"},
    {64, "Istrel A"},   {65, "Istrel B"},     {66, "Jovarn 1"},   {67, "Jovarn 2"},
    {68, "Kelmet"},     {69, "Lumbrel"},      {70, "Mirrock"},    {71, "Nestrel"},
}};

} // namespace

std::string ModelName(uint8_t productId) {
    if (const TProduct* product = ProductById(productId)) {
        return std::string(product->Model);
    }
    for (const TOlderProduct& older : OlderProducts) {
        if (older.Id == productId) {
            return older.Model;
        }
    }
    return "Product Id " + std::to_string(static_cast<int>(static_cast<int8_t>(productId)));
}

} // namespace qvr
