#pragma once

#include <QString>
#include <QStringList>

#include "base/Color.h"

class QWidget;

// The standard dialogs the main window opens. The program uses Qt's; tests answer for the user.
class TWizardDialogs {
public:
    virtual ~TWizardDialogs() = default;
    // The picture files chosen, in the dialog's order; empty when cancelled.
    virtual QStringList OpenPictures(QWidget* parent, const QString& folder) = 0;
    // The sound file chosen; empty when cancelled.
    virtual QString OpenSound(QWidget* parent, const QString& folder) = 0;
    // A created saver to open again; empty when cancelled.
    virtual QString OpenSaver(QWidget* parent, const QString& folder) = 0;
    // The installer file to write; empty when cancelled.
    virtual QString SaveTarget(QWidget* parent, const QString& folder) = 0;
    // The colour chosen, starting from initial; -1 when cancelled.
    virtual TColor PickColor(QWidget* parent, TColor initial) = 0;
};
