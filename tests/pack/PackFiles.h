#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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

inline int32_t Le32(const std::string& bytes, size_t offset) {
    int32_t value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

inline std::string Le32Bytes(int32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}
