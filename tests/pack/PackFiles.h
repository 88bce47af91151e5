#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

// Files for pack tests, in a folder removed afterwards.
class TPackFiles {
public:
    // n bytes that differ from file to file: byte i is (seed + i) mod 251.
    static std::string Pattern(size_t n, int seed) {
        std::string bytes(n, '\0');
        for (size_t i = 0; i < n; ++i) {
            bytes[i] = static_cast<char>((seed + i) % 251);
        }
        return bytes;
    }

    std::string Path(const std::string& name) const {
        return FDir.filePath(QString::fromStdString(name)).toStdString();
    }
    // The folder with a trailing "/".
    std::string Dir() const { return FDir.path().toStdString() + "/"; }

    std::string Write(const std::string& name, const std::string& bytes) const {
        std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Names of the folder's entries in byte order, to find stray temporary files.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(FDir.path().toStdString())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    QTemporaryDir FDir;
};

// The message of the runtime error that work throws; empty when it throws none.
template <class Work>
std::string ErrorOf(Work&& work) {
    try {
        work();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

// Runs check in a child process under the given resource limit, with SIGXFSZ ignored so that
// writes past RLIMIT_FSIZE fail instead of killing it. Returns 0 when check returned true.
inline int InChildWithLimit(int resource, rlim_t limit, const std::function<bool()>& check) {
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        setrlimit(resource, &rl);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int32_t Le32(const std::string& bytes, size_t offset) {
    int32_t value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}
