#include "app/shell/FileDrop.h"

#include <QChildEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace qvr {

TFileDropFilter::TFileDropFilter(std::function<void(const QString&)> fileDropped)
    : FileDropped(std::move(fileDropped)) {}

void TFileDropFilter::Watch(QObject& object) {
    object.removeEventFilter(this);
    object.installEventFilter(this);
    for (QObject* child : object.children()) {
        if (child->isWidgetType()) {
            Watch(*child);
        }
    }
}

QString TFileDropFilter::LocalFileOf(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().isEmpty()) {
        return {};
    }
    const QUrl url = mime->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

bool TFileDropFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded: {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child != nullptr && child->isWidgetType()) {
            Watch(*child);
        }
        return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (LocalFileOf(drag->mimeData()).isEmpty()) {
            drag->ignore();
        } else {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString file = LocalFileOf(drop->mimeData());
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (!file.isEmpty()) {
            FileDropped(file);
        }
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace qvr
