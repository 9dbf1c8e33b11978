#include "app/report/FileWatch.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <sys/inotify.h>
#include <sys/stat.h>

namespace qvr {

TFileWatch::TFileWatch(std::function<void()> changed)
    : Changed(std::move(changed)), Inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    Settle.setSingleShot(true);
    Settle.setInterval(SettleMs);
    Idle.setSingleShot(true);
    Idle.setInterval(IdleWriterMs);
    connect(&Settle, &QTimer::timeout, this, [this] { Settled(); });
    connect(&Idle, &QTimer::timeout, this, [this] { Settled(); });
    if (Inotify.IsOpen()) {
        Notifier = std::make_unique<QSocketNotifier>(Inotify.Get(), QSocketNotifier::Read);
        connect(Notifier.get(), &QSocketNotifier::activated, this, [this] { ReadEvents(); });
    }
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
    Idle.stop();
    if (FolderWatch >= 0) {
        ::inotify_rm_watch(Inotify.Get(), FolderWatch);
        FolderWatch = -1;
    }
    Watched = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
    Loaded = StampOf(Watched);
    if (Watched.isEmpty() || !Inotify.IsOpen()) {
        return;
    }
    const QFileInfo info(Watched);
    WatchedName = QFile::encodeName(info.fileName());
    FolderWatch = ::inotify_add_watch(Inotify.Get(), QFile::encodeName(info.absolutePath()),
                                      IN_CLOSE_WRITE | IN_MOVED_TO | IN_MODIFY | IN_CREATE);
}

void TFileWatch::ReadEvents() {
    // Room for many events at once; each has its name's bytes after it.
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t got = ::read(Inotify.Get(), buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            inotify_event event{};
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof(inotify_event);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
            if (event.wd != FolderWatch || event.len == 0 || at > got ||
                QByteArray(name) != WatchedName) {
                continue; // another file of the folder
            }
            if ((event.mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0) {
                Idle.stop();
                Settle.start();
            } else {
                // Written while still open: wait for the close.
                Settle.stop();
                Idle.start();
            }
        }
    }
}

void TFileWatch::Settled() {
    const TStamp now = StampOf(Watched);
    if (!now.Exists || now == Loaded) {
        return;
    }
    Loaded = now;
    Changed();
}

} // namespace qvr
