#include "platform/QtChildProcess.h"

TQtChildProcess::TQtChildProcess() {
    FProcess.setProcessChannelMode(QProcess::ForwardedChannels);
    FKill.setSingleShot(true);
    FKill.setInterval(1000);
    QObject::connect(&FKill, &QTimer::timeout, &FProcess, &QProcess::kill);
    QObject::connect(&FProcess, &QProcess::finished, &FProcess, [this] {
        FKill.stop();
        if (OnExited) {
            OnExited();
        }
    });
}

TQtChildProcess::~TQtChildProcess() {
    if (Running()) {
        FProcess.terminate();
        if (!FProcess.waitForFinished(1000)) {
            FProcess.kill();
            FProcess.waitForFinished(1000);
        }
    }
}

bool TQtChildProcess::Start(const std::string& program, const std::vector<std::string>& args) {
    if (Running()) {
        return false;
    }
    QStringList list;
    for (const std::string& a : args) {
        list << QString::fromStdString(a);
    }
    FProcess.start(QString::fromStdString(program), list);
    return FProcess.waitForStarted(5000);
}

void TQtChildProcess::Stop() {
    if (Running()) {
        FProcess.terminate();
        FKill.start();
    }
}

bool TQtChildProcess::Running() const {
    return FProcess.state() != QProcess::NotRunning;
}
