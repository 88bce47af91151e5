#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

// Acts on the modal window of type T as soon as it is open, as a user would. Deleting the
// answered watcher calls the action off.
template <typename T>
QTimer* WhenModal(const std::function<void(T*)>& act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(window);
        }
    });
    timer->start();
    return timer;
}
