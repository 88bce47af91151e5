#pragma once

#include <QStringList>
#include <deque>

#include "ui/WizardDialogs.h"

// Answers the main window's standard dialogs from what a test queued, as a user would have;
// an empty queue answers as a cancel. Keeps the folders each dialog was opened on.
class TScriptedDialogs : public TWizardDialogs {
public:
    QStringList OpenPictures(QWidget*, const QString& folder) override {
        Folders << folder;
        return Take(Pictures, QStringList());
    }
    QString OpenSound(QWidget*, const QString& folder) override {
        Folders << folder;
        return Take(Sounds, QString());
    }
    QString OpenSaver(QWidget*, const QString& folder) override {
        Folders << folder;
        return Take(Savers, QString());
    }
    QString SaveTarget(QWidget*, const QString& folder) override {
        Folders << folder;
        return Take(Targets, QString());
    }
    TColor PickColor(QWidget*, TColor initial) override {
        OfferedColors.push_back(initial);
        return Take(Colors, TColor(-1));
    }

    std::deque<QStringList> Pictures;
    std::deque<QString> Sounds;
    std::deque<QString> Savers;
    std::deque<QString> Targets;
    std::deque<TColor> Colors;
    QStringList Folders;
    std::deque<TColor> OfferedColors;

private:
    template <typename T>
    static T Take(std::deque<T>& queue, T cancelled) {
        if (queue.empty()) {
            return cancelled;
        }
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};
