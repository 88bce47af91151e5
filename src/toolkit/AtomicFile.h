#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

// A whole file replaced at once: the bytes go to a file of a name of its own beside the target,
// reach the disk and are renamed over the target, so that a reader sees the old file or the new
// one, and a failure leaves the old one as it was. A symbolic link stays a link: the file it
// leads to is the one replaced. A file that exists keeps its permission bits.
class TAtomicFile {
public:
    // newMode: the permission bits of a file that does not exist yet; none leaves them to the
    // umask, as open() would.
    explicit TAtomicFile(std::string path, std::optional<mode_t> newMode = std::nullopt);
    // Removes the temporary file unless it was committed.
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Creates the temporary file. False with Reason() set, also when the target is no regular
    // file.
    bool Open();
    // The temporary file's descriptor, for hints such as sync_file_range.
    int Fd() const { return FFd; }
    // Appends every byte. False with Reason() set.
    bool Write(const char* bytes, size_t count);
    // Flushes the bytes to the disk and renames the file over the target. False with Reason()
    // set, the target untouched and the temporary file gone.
    bool Commit();

    // Why the last step failed, as a short phrase ("磁盘空间不足"); never empty after a failure.
    const std::string& Reason() const { return FReason; }
    // The file replaced: the path with its links followed.
    const std::string& Target() const { return FTarget; }

private:
    bool Fail(int error);
    void Discard();

    std::string FPath;
    std::string FTarget;
    std::string FTemporary;
    std::string FReason;
    std::optional<mode_t> FNewMode;
    int FFd = -1;
};

// Replaces the file at path with bytes through a TAtomicFile. Throws std::runtime_error
// "无法写入 “<path>”：<reason>".
void WriteFileAtomically(const std::string& path,
                         const std::string& bytes,
                         std::optional<mode_t> newMode = std::nullopt);
