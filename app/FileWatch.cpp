#include "app/FileWatch.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace qvr {

TFileWatch::TFileWatch(std::function<void()> changed) : Changed(std::move(changed)) {
    Settle.setSingleShot(true);
    Settle.setInterval(SettleMs);
    connect(&Watcher, &QFileSystemWatcher::fileChanged, this, [this] { Touched(); });
    connect(&Watcher, &QFileSystemWatcher::directoryChanged, this, [this] { Touched(); });
    connect(&Settle, &QTimer::timeout, this, [this] { Settled(); });
}

TFileWatch::TStamp TFileWatch::StampOf(const QString& file) {
    struct stat info {};
    if (file.isEmpty() || ::stat(QFile::encodeName(file).constData(), &info) != 0) {
        return {};
    }
    return {true, static_cast<qint64>(info.st_size),
            static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            static_cast<quint64>(info.st_ino)};
}

void TFileWatch::Watch(const QString& file) {
    Settle.stop();
    if (!Watcher.files().isEmpty()) {
        Watcher.removePaths(Watcher.files());
    }
    if (!Watcher.directories().isEmpty()) {
        Watcher.removePaths(Watcher.directories());
    }
    Watched = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
    Loaded = Seen = StampOf(Watched);
    if (!Watched.isEmpty()) {
        Watcher.addPath(QFileInfo(Watched).absolutePath());
        if (Loaded.Exists) {
            Watcher.addPath(Watched);
        }
    }
}

void TFileWatch::Touched() {
    const TStamp now = StampOf(Watched);
    // The folder changes for every file in it: only a change of this one counts.
    if (now == Seen && !Settle.isActive()) {
        return;
    }
    Seen = now;
    Settle.start();
}

void TFileWatch::Settled() {
    const TStamp now = StampOf(Watched);
    if (!(now == Seen)) {
        // Still being written.
        Seen = now;
        Settle.start();
        return;
    }
    if (!now.Exists || now == Loaded) {
        return;
    }
    // A file renamed into place is a new file: watch it.
    if (!Watcher.files().contains(Watched)) {
        Watcher.addPath(Watched);
    }
    Loaded = now;
    Changed();
}

} // namespace qvr
