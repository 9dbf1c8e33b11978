#include "edit/EditRequest.h"

namespace qvr {

namespace {

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::optional<TEditRequest> ParseEditRequest(std::string_view text, std::string& problem) {
    const size_t colon = text.find(':');
    const size_t equals = colon == std::string_view::npos ? colon : text.find('=', colon);
    if (colon == std::string_view::npos || equals == std::string_view::npos) {
        problem = std::string("'").append(text).append("' is not MODULE: PARAMETER=VALUE");
        return std::nullopt;
    }
    TEditRequest request{std::string(Trimmed(text.substr(0, colon))),
                         std::string(Trimmed(text.substr(colon + 1, equals - colon - 1))),
                         std::string(Trimmed(text.substr(equals + 1)))};
    if (request.Module.empty() || request.Name.empty()) {
        problem = std::string("'")
                      .append(text)
                      .append("' names no ")
                      .append(request.Module.empty() ? "module" : "parameter");
        return std::nullopt;
    }
    return request;
}

} // namespace qvr
