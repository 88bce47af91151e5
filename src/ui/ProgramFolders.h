#pragma once

#include <QString>
#include <string>

// The user's documents folder (XDG_DOCUMENTS_DIR) when it exists, otherwise the home folder.
QString UserDocumentsDir();
// The user's pictures folder (XDG_PICTURES_DIR) when it exists, otherwise the home folder.
QString UserPicturesDir();
// The user's music folder (XDG_MUSIC_DIR) when it exists, otherwise the home folder.
QString UserMusicDir();

// The folder for installer files: "ScreenSavers/" below the program's folder when the program
// can write there, otherwise "ScreenSavers/" below UserDocumentsDir(), as for a program
// installed into a folder that only root may change. programDir ends with "/", and so does the
// result.
std::string DefaultOutputDir(const std::string& programDir);

// Where the stubs ie.dat, ss.dat and ui.dat are read from: the program's own folder when any
// of them lies there, otherwise the installed stub folder lib/kavro/ beside the program's bin/
// when any lies there, otherwise the program's folder. Both end with "/".
std::string StubDir(const std::string& programDir);
