#include "toolkit/UserFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

std::string FileErrorReason(int error, bool writing) {
    switch (error) {
        case ENOENT:
            return writing ? "文件夹不存在" : "文件不存在";
        case EACCES:
        case EPERM:
            return writing ? "没有写入权限" : "没有读取权限";
        case ENOSPC:
            return "磁盘空间不足";
#ifdef EDQUOT
        case EDQUOT:
            return "磁盘配额已用完";
#endif
        case EFBIG:
            return "文件超过了系统允许的大小";
        case EROFS:
            return "磁盘是只读的";
        case EISDIR:
            return "是文件夹，不是普通文件";
        case ENOTDIR:
            return "路径中有一部分不是文件夹";
        case ENAMETOOLONG:
            return "文件名太长";
        case ELOOP:
            return "符号链接太多";
        case EIO:
            return "读写磁盘时出错";
        case EMFILE:
        case ENFILE:
            return "打开的文件太多";
        case ENOMEM:
            return "内存不足";
        case ETXTBSY:
            return "文件正被使用";
        default:
            return "系统错误（错误号 " + std::to_string(error) + "）";
    }
}

std::string NotRegularReason(unsigned mode) {
    if (S_ISREG(mode)) {
        return {};
    }
    if (S_ISDIR(mode)) {
        return "是文件夹，不是普通文件";
    }
    if (S_ISFIFO(mode)) {
        return "是命名管道，不是普通文件";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "是设备，不是普通文件";
    }
    if (S_ISSOCK(mode)) {
        return "是套接字，不是普通文件";
    }
    return "不是普通文件";
}

std::string FileReasonLine(const std::string& fileName, const std::string& reason) {
    return fileName + "：" + reason;
}

int OpenRegularFile(const std::string& fileName, std::string& reason) {
    // Non-blocking: opening a FIFO for reading would otherwise wait for a writer forever.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        reason = FileErrorReason(errno);
        return -1;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        reason = FileErrorReason(errno);
        ::close(fd);
        return -1;
    }
    reason = NotRegularReason(info.st_mode);
    if (!reason.empty()) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool ReadRegularFile(const std::string& fileName, std::string& bytes, std::string& reason) {
    const int fd = OpenRegularFile(fileName, reason);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    ::fstat(fd, &info);
    const size_t expected = static_cast<size_t>(info.st_size);
    bytes.clear();
    bool ok = true;
    try {
        bytes.resize(expected);
    } catch (const std::bad_alloc&) {
        reason = FileErrorReason(ENOMEM);
        ::close(fd);
        return false;
    }
    size_t done = 0;
    while (done < expected) {
        const ssize_t got = ::read(fd, bytes.data() + done, expected - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            reason = FileErrorReason(errno);
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    // A file that shrank ends early, one that grew has more: either way it was rewritten.
    char extra;
    if (ok && (done != expected || ::read(fd, &extra, 1) > 0)) {
        reason = "文件在读取时被修改";
        ok = false;
    }
    ::close(fd);
    return ok;
}

int64_t RegularFileSize(const std::string& fileName) {
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return info.st_size;
}

bool IsRegularFile(const std::string& fileName) {
    return RegularFileSize(fileName) >= 0;
}

bool IsOtherThanRegularFile(const std::string& fileName) {
    struct stat info {};
    return ::stat(fileName.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}
