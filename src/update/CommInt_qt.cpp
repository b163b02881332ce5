#include "update/CommInt_qt.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace gw {

CommEventPoster QtCommEventPoster() {
    return [](std::function<void()> task) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task),
                                  Qt::QueuedConnection);
    };
}

} // namespace gw
