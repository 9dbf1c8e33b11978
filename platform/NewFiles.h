#pragma once

#include "platform/FileDescriptor.h"
#include "platform/TempFiles.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace qvr {

// New files in one open folder, each written whole or not at all and never in the place of
// anything there. A file is made without a name in the folder (O_TMPFILE; where the file
// system cannot, under a temporary name that TempFileName's form and a signal guard cover),
// private to the user, and gets its name only once every byte is written, by a link that fails
// when the name is taken: a file, folder or link planted there meanwhile is neither followed
// nor replaced, and the next name is asked for instead. Files reach the disk in batches, one
// sync for many files before any of them is named, so that after a crash a named file is
// whole, at a cost that does not grow with the number of files as a sync per file would.
// A process ended meanwhile leaves no unnamed file; only named, whole files stay.
class TNewFiles {
public:
    // Gives the next name to try for one file; called again when a name turns out taken.
    using TNameSource = std::function<std::string()>;

    // `dir` stays open while the object lives.
    explicit TNewFiles(int dir);
    ~TNewFiles();
    TNewFiles(const TNewFiles&) = delete;
    TNewFiles& operator=(const TNewFiles&) = delete;

    // Writes a new file with these bytes, named by `name` when its batch is complete. False
    // (Error() set) when it cannot be written; the files added before are then named first.
    bool Add(std::string_view bytes, TNameSource name);
    // Names the files still waiting. False (Error() set) on the first that fails.
    bool Finish();

    // The names given so far, in the order the files were added.
    const std::vector<std::string>& Named() const { return Names; }
    // errno of the first failure, 0 when there was none; FailedName() is the name it was
    // given, when it had one.
    int Error() const { return FirstError; }
    const std::string& FailedName() const { return FailedAt; }

private:
    struct TPending;
    bool Fail(int error, std::string name = {});
    bool Flush();
    bool Link(TPending& file);

    int Dir;
    mode_t Mode;
    std::vector<TPending> Waiting;
    size_t WaitingBytes = 0;
    bool Unnamed = true; // whether the folder takes files without a name
    std::vector<std::string> Names;
    int FirstError = 0;
    std::string FailedAt;
};

} // namespace qvr
