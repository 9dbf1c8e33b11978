#pragma once

#include "config/Params.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

namespace qvr {

struct TQvrComponent;

// The parameter set of one type of a component.
struct TQvrType {
    int32_t Id = 0;
    TQvrParamList Params;
};

// The parameter sets of a component in file order; duplicate ids stay.
class TQvrTypeList {
public:
    size_t Count() const { return Items.size(); }
    TQvrType& Item(size_t i) { return *Items.at(i); }
    const TQvrType& Item(size_t i) const { return *Items.at(i); }
    void Add(std::unique_ptr<TQvrType> type) { Items.push_back(std::move(type)); }

private:
    std::vector<std::unique_ptr<TQvrType>> Items;
};

// A selectable type: its position in the component's list is the raw value
// that selects it; Id names its parameter set.
struct TQvrTypeName {
    std::string Name;
    int32_t Id;
};

// Reads the body of a "types" block ("tpn", "tn"/"tid" pairs) into the
// component; returns the number of type names added.
int32_t ReadTypeNames(TQvrComponent& component, std::istream& in);

// Reads the body of a "params" block ("tid" groups of "pn" definitions).
void ReadTypes(TQvrTypeList& list, std::istream& in);

} // namespace qvr
