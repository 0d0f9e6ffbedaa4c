// Runs a piece of code on the thread that owns a QObject and waits until it has run there.
// Worker threads use it for every widget update; called on that thread it simply runs the code.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <utility>

namespace nuvrel {

template <typename Function>
void runOnObjectThread(QObject* context, Function&& function) {
    if (QThread::currentThread() == context->thread()) {
        std::forward<Function>(function)();
        return;
    }
    QMetaObject::invokeMethod(context, std::forward<Function>(function),
                              Qt::BlockingQueuedConnection);
}

}  // namespace nuvrel
