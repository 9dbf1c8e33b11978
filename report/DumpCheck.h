#pragma once

#include "base/UserNotifier.h"

#include <iosfwd>

namespace qvr {

// Reads a dump's messages as a report reads a file, without needing the product's
// configuration: the frame, the maker, the checksum and one product throughout. Shows the
// first problem through the notifier in the report's words and stops there; returns true
// when there was none.
bool CheckDump(std::istream& in, IUserNotifier& notifier);

} // namespace qvr
