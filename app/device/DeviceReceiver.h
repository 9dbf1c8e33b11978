#pragma once

#include "base/UserNotifier.h"

#include <QDialog>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>

namespace qvr {

// File > Receive from Device: receives a dump in the receive window, shows it as an opened
// file is shown (with the same checks and messages), then offers to save it under a name
// with the model's preset extension (one preset) or backup extension (several); a cancelled
// Save asks before the dump is left unsaved. The dump shown lives in a private temporary folder
// until the next one or the end of the run.
class TDeviceReceiver {
public:
    struct THooks {
        QWidget* Owner = nullptr;
        IUserNotifier* Notifier = nullptr;
        std::function<void(QDialog&)> RunModal;
        // Loads and shows a file as Open does; `saved` is false for the dump's own copy, which
        // goes with the next dump or the end of the run.
        std::function<void(const std::string& fileName, bool saved)> Show;
        // The Save dialog: proposes `fileName` with `filter`; false when the user cancels.
        std::function<bool(QString& fileName, const QString& filter)> AskSaveName;
        // After a cancelled Save: true to go back to the Save dialog, false to leave the dump
        // unsaved.
        std::function<bool()> SaveAfterAll;
        // The folder the Save dialog starts in, with its separator (empty: the current one).
        std::function<QString()> Folder;
    };

    explicit TDeviceReceiver(THooks hooks);
    ~TDeviceReceiver();

    // Listens on `port` (a port of the viewer's own when empty).
    void Receive(const std::string& port);

private:
    bool Write(const std::string& fileName, const std::string& bytes);

    THooks Hooks;
    std::unique_ptr<QTemporaryDir> ShownFolder;
};

} // namespace qvr
