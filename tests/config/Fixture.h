#pragma once

#include "tests/support/TempFolder.h"

#include <fstream>
#include <string>

namespace qvr::test {

// A configuration text written to a file of its own, removed again at the end.
class TFixtureFile : private TTempFolder {
public:
    explicit TFixtureFile(const std::string& text) : Path(Write("fixture.cfg", text)) {}

    // The file opened the way the configuration opens it.
    std::ifstream Open() const { return std::ifstream(Path, std::ios::in | std::ios::binary); }

    const std::string Path;
};

} // namespace qvr::test
