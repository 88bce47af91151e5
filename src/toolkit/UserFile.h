#pragma once

#include <cstdint>
#include <string>

// Opening the files a user names: pictures, sounds, stubs and targets. Names are the bytes the
// file system holds, whatever their encoding. Reasons are short Chinese phrases that a message
// puts below its first line, as "<file name>：<reason>".

// Why a file operation failed with errno `error`; `writing` picks the wording for a target.
std::string FileErrorReason(int error, bool writing = false);

// The reason a file of mode st_mode cannot be read as a picture or sound
// ("是文件夹，不是普通文件"), or empty for a regular file.
std::string NotRegularReason(unsigned mode);

// Whether the name leads to a regular file (links followed).
bool IsRegularFile(const std::string& fileName);

// The length of the regular file the name leads to (links followed), or -1 when it leads to none.
int64_t RegularFileSize(const std::string& fileName);

// Whether the name leads to something that is there but is no regular file: a folder, a FIFO,
// a device (links followed). False for a regular file and for a name that leads nowhere.
bool IsOtherThanRegularFile(const std::string& fileName);

// The second line every file message of ours carries: "<fileName>：<reason>".
std::string FileReasonLine(const std::string& fileName, const std::string& reason);

// Opens a regular file read-only without ever blocking: a FIFO or a device is refused before
// anything waits on it. Answers the descriptor, or -1 with reason set.
int OpenRegularFile(const std::string& fileName, std::string& reason);

// Reads a whole regular file into bytes. False with reason set when it cannot be opened, is no
// regular file, fails to read, or changes its length while it is read.
bool ReadRegularFile(const std::string& fileName, std::string& bytes, std::string& reason);
