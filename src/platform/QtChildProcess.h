#pragma once

#include <QProcess>
#include <QTimer>

#include "platform/ChildProcess.h"

// A child process on Qt's event loop, sharing our output channels and environment.
class TQtChildProcess : public TChildProcess {
public:
    TQtChildProcess();
    ~TQtChildProcess() override;

    bool Start(const std::string& program, const std::vector<std::string>& args) override;
    void Stop() override;
    bool Running() const override;

private:
    QProcess FProcess;
    QTimer FKill;
};
