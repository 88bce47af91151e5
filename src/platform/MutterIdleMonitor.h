#pragma once

#include <QObject>
#include <QString>

#include "platform/IdleMonitor.h"

// The idle monitor that GNOME's window manager (and, under its own name, Cinnamon's) offers on
// the session bus: a watch for the idle time and a one-shot watch for the next input.
class TMutterIdleMonitor : public QObject, public TIdleMonitor {
    Q_OBJECT

public:
    // service: "org.gnome.Mutter.IdleMonitor" or "org.cinnamon.Muffin.IdleMonitor"; its object
    // and interface follow from the name.
    explicit TMutterIdleMonitor(const QString& service);
    ~TMutterIdleMonitor() override;

    bool Start(uint32_t idleMs) override;
    std::string Name() const override { return FService.toStdString(); }

private slots:
    void WatchFired(uint id);
    void ServiceGone();

private:
    bool Call(const char* method, const QVariantList& args, uint* answer = nullptr);

    QString FService;
    QString FPath;
    uint FIdleWatch = 0;
    uint FActiveWatch = 0;
};
