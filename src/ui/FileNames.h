#pragma once

#include <QString>
#include <QUrl>
#include <string>

// A file's name on this system is a string of bytes; Qt's text holds only names that are UTF-8.
// The window keeps the bytes and converts at its edges, so that a name the file system holds,
// whatever its encoding, reaches the loader, the player and the builder unchanged.

// The bytes of a name typed or chosen in a Qt control.
std::string FileNameBytes(const QString& name);

// A name to show; bytes that are not UTF-8 appear as replacement characters.
QString FileNameText(const std::string& name);

// The exact bytes of a local file's address, as a file manager sends it in a drop.
std::string LocalFileBytes(const QUrl& url);

// The last part of a path.
std::string BaseName(const std::string& path);

// Whether the text names a file faithfully: no character in it stands for bytes that the text
// lost on the way (a name that was not UTF-8 before it became text).
bool IsFaithfulName(const QString& name);
