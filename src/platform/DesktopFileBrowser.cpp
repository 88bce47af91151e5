#include "platform/DesktopFileBrowser.h"

#include <QProcess>
#include <QString>

void TDesktopFileBrowser::OpenFolder(const std::string& folder) {
    // Detached, so a file manager that takes its time never holds up the wizard; a missing
    // xdg-open or file manager only means no window appears.
    QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(folder)});
}
