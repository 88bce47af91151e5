#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

class QWidget;

// Dropped files sorted by kind, each kind in the order dropped; a folder gives its pictures
// in name order and nothing else. Files are named by the bytes the file system holds.
struct TDroppedFiles {
    std::vector<std::string> Pictures;
    std::vector<std::string> Sounds;
    // The names of everything else, as the user knows them.
    QStringList Others;
};

TDroppedFiles SortDroppedFiles(const QList<QUrl>& urls);

// The readable pictures of a folder, hidden ones left out, in name order ignoring case, as a
// dropped folder gives them. Empty for a folder that cannot be listed.
std::vector<std::string> PicturesInFolder(const std::string& folder);

// The refusal text for dropped files of a kind that the place does not take.
QString IgnoredFilesText(const QStringList& names);

// Takes files dragged from a file manager onto the widgets it watches and hands their
// addresses on; other drags are refused, so the cursor shows that they cannot land there.
class TFileDropTarget : public QObject {
public:
    TFileDropTarget(QObject* parent, std::function<void(const QList<QUrl>&)> dropped);

    void Watch(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QList<QUrl>&)> FDropped;
};
