#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace qvr {

// Watches the open preset file and calls back once a change has settled: no further change
// for a moment, so that a file being written is not read half-way. An editor that saves by
// writing a new file and renaming it over the old one replaces the watched file; its folder is
// watched as well, and the new file is picked up.
class TFileWatch : public QObject {
public:
    static constexpr int SettleMs = 300;

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
    void Touched();
    void Settled();

    std::function<void()> Changed;
    QFileSystemWatcher Watcher;
    QTimer Settle;
    QString Watched;
    TStamp Loaded; // the file as it was when last loaded
    TStamp Seen;   // as it was at the last change noticed
};

} // namespace qvr
