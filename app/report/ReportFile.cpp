#include "app/report/ReportFile.h"

#include "platform/AtomicFile.h"

#include <sys/stat.h>
#include <unistd.h>

namespace qvr {

bool WriteReportFile(const std::string& path, const std::string& document) {
    // A link, pipe or device there goes first: the atomic file would write into a pipe or a
    // device, or into one that a link names, instead of replacing it.
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) &&
        !S_ISDIR(existing.st_mode)) {
        ::unlink(path.c_str());
    }
    // A load that fails half-way leaves the previous report whole.
    TAtomicFile file(path);
    return file.Write(document.data(), document.size()) && file.Commit();
}

} // namespace qvr
