#pragma once

#include <span>
#include <string>

namespace qvr {

// The long option that `given` (the text after "--", up to any "=") names among `options`:
// the option spelled out, or a prefix of exactly one of them, as getopt_long takes it. `arg`
// is the whole argument, for the message. Returns the usage error in getopt_long's words,
// empty when `name` was set.
std::string MatchLongOption(const std::string& given, const std::string& arg,
                            std::span<const char* const> options, std::string& name);

} // namespace qvr
