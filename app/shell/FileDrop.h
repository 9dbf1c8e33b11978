#pragma once

#include <QObject>

#include <functional>

class QMimeData;

namespace qvr {

// Takes the drops on a widget and everything inside it (the web view would
// take them itself and navigate): a local file dropped there is handed on.
class TFileDropFilter : public QObject {
public:
    explicit TFileDropFilter(std::function<void(const QString&)> fileDropped);
    // Watches the object, its present widget children and those added later.
    void Watch(QObject& object);
    // The first URL of a drag when it names a local file, else empty.
    static QString LocalFileOf(const QMimeData* mime);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> FileDropped;
};

} // namespace qvr
