#pragma once

#include <QByteArray>
#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "ui/Messages.h"

// "第一行", CR LF, "第二行" in GBK, worked out from the code-page table, and its terminator.
inline const QByteArray TwoLinesGbk("\xB5\xDA\xD2\xBB\xD0\xD0\r\n\xB5\xDA\xB6\xFE\xD0\xD0", 15);

// Runs action once the dialog's modal loop has started; if the dialog is still open afterwards
// it is cancelled, so a failed check inside action cannot leave the test hanging.
inline void WhileOpen(QDialog* dialog, std::function<void()> action) {
    QTimer::singleShot(0, dialog, [dialog, action] {
        action();
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
}

// Collects the message boxes shown while it lives instead of showing them.
class TMessageRecorder {
public:
    TMessageRecorder()
        : FPrevious(SetMessageHook([this](const QString& caption, const QString& text) {
            Captions << caption;
            Texts << text;
        })) {}
    ~TMessageRecorder() { SetMessageHook(FPrevious); }

    QStringList Captions;
    QStringList Texts;

private:
    TMessageHook FPrevious;
};
