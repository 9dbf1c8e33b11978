#pragma once

#include "platform/FileDescriptor.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace qvr {

// Watches the open preset file and calls back once a change is complete: the writer has
// closed the file (or renamed a new one into its place, as editors save) and nothing changed
// for a moment after. A file written in pieces is read once, at the end, not half-way. A writer
// that keeps the file open without writing for IdleWriterMs is taken to be done. The folder is
// watched (through inotify), so a file renamed over the watched one is picked up.
class TFileWatch : public QObject {
public:
    static constexpr int SettleMs = 300;
    static constexpr int IdleWriterMs = 5000;

    explicit TFileWatch(std::function<void()> changed);

    // Watches this file from now on, as it is now; an empty name stops watching.
    void Watch(const QString& file);
    const QString& File() const { return Watched; }

private:
    struct TStamp {
        bool Exists = false;
        qint64 Size = 0;
        qint64 ModifiedNs = 0;
        quint64 Inode = 0;
        friend bool operator==(const TStamp&, const TStamp&) = default;
    };
    static TStamp StampOf(const QString& file);
    void ReadEvents();
    void Settled();

    std::function<void()> Changed;
    TFileDescriptor Inotify;
    std::unique_ptr<QSocketNotifier> Notifier;
    int FolderWatch = -1;
    QByteArray WatchedName; // the file's name in its folder, as the kernel gives it
    QTimer Settle;          // after a close or a rename
    QTimer Idle;            // after a write with the file still open
    QString Watched;
    TStamp Loaded; // the file as it was when last loaded
};

} // namespace qvr
