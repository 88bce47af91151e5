#include "ui/FileNames.h"

#include <QFile>

std::string FileNameBytes(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString FileNameText(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}

std::string LocalFileBytes(const QUrl& url) {
    // The decoded forms of QUrl replace bytes that are not UTF-8; the fully encoded path keeps
    // them as %XX.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFaithfulName(const QString& name) {
    return !name.contains(QChar::ReplacementCharacter);
}
