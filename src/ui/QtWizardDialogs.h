#pragma once

#include "ui/WizardDialogs.h"

// Qt's own file and colour dialogs, the picture dialog with a preview pane beside the list.
class TQtWizardDialogs : public TWizardDialogs {
public:
    QStringList OpenPictures(QWidget* parent, const QString& folder) override;
    QString OpenSound(QWidget* parent, const QString& folder) override;
    QString OpenSaver(QWidget* parent, const QString& folder) override;
    QString SaveTarget(QWidget* parent, const QString& folder) override;
    TColor PickColor(QWidget* parent, TColor initial) override;

    // A filter list in the form "description|pattern|description|pattern" as Qt's name filters.
    static QStringList NameFilters(const QString& filter);
};
