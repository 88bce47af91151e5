#include "platform/DesktopFileBrowser.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

bool TDesktopFileBrowser::OpenFolder(const std::string& folder) {
    // Qt starts the opener detached, so a file manager that takes its time never holds up the
    // wizard; false means that there was nothing to start.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
}
