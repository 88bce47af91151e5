#include "toolkit/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <random>
#include <stdexcept>

#include "toolkit/UserFile.h"

namespace {

// The file a path names once its symbolic links are followed; a link to nowhere gives the name
// it points to, so that the file is made there. The kernel's own limit on links is kept.
std::string FollowLinks(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof target)) {
            return path;
        }
        std::string next(target, static_cast<size_t>(length));
        if (next[0] != '/') {
            const size_t slash = path.rfind('/');
            next = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + next;
        }
        path = next;
    }
    return path;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

TAtomicFile::TAtomicFile(std::string path, std::optional<mode_t> newMode)
    : FPath(std::move(path)), FTarget(FollowLinks(FPath)), FNewMode(newMode) {}

TAtomicFile::~TAtomicFile() {
    Discard();
}

bool TAtomicFile::Fail(int error) {
    // A write that stops short without an error number is a full disk.
    FReason = error == 0 ? "磁盘空间不足" : FileErrorReason(error, true);
    Discard();
    return false;
}

void TAtomicFile::Discard() {
    if (FFd >= 0) {
        ::close(FFd);
        FFd = -1;
    }
    if (!FTemporary.empty()) {
        ::unlink(FTemporary.c_str());
        FTemporary.clear();
    }
}

bool TAtomicFile::Open() {
    Discard();
    struct stat info;
    const bool replacing = ::stat(FTarget.c_str(), &info) == 0;
    if (replacing && !S_ISREG(info.st_mode)) {
        FReason = NotRegularReason(info.st_mode);
        return false;
    }
    // Hidden, and unique even when several processes save the same file at once.
    const std::string folder = FolderOf(FTarget);
    const std::string name = FTarget.substr(FTarget.rfind('/') + 1);
    std::random_device entropy;
    for (int attempt = 0; attempt < 100 && FFd < 0; ++attempt) {
        FTemporary = folder + "/." + name + ".kavro-" + std::to_string(entropy() % 1000000000u);
        FFd = ::open(FTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FFd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (FFd < 0) {
        const int error = errno;
        FTemporary.clear();
        return Fail(error);
    }
    if (replacing || FNewMode) {
        if (::fchmod(FFd, replacing ? info.st_mode & 07777 : *FNewMode) != 0) {
            return Fail(errno);
        }
    }
    return true;
}

bool TAtomicFile::Write(const char* bytes, size_t count) {
    if (FFd < 0) {
        return Fail(EBADF);
    }
    size_t done = 0;
    while (done < count) {
        errno = 0;
        const ssize_t written = ::write(FFd, bytes + done, count - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return Fail(errno);
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

bool TAtomicFile::Commit() {
    if (FFd < 0) {
        return Fail(EBADF);
    }
    // Without the flush nothing orders the data before the rename: a power loss could leave
    // the target empty or torn.
    errno = 0;
    if (::fsync(FFd) != 0) {
        return Fail(errno);
    }
    const int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0) {
        return Fail(errno);
    }
    if (::rename(FTemporary.c_str(), FTarget.c_str()) != 0) {
        return Fail(errno);
    }
    FTemporary.clear();
    // The rename itself reaches the disk with its folder.
    const int folder = ::open(FolderOf(FTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void WriteFileAtomically(const std::string& path,
                         const std::string& bytes,
                         std::optional<mode_t> newMode) {
    TAtomicFile file(path, newMode);
    if (!file.Open() || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
        throw std::runtime_error("无法写入 “" + path + "”：" + file.Reason());
    }
}
