#include "settings/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace {

// Converts with iconv, replacing each input character that cannot be converted by '?'.
std::string Convert(const char* to, const char* from, std::string_view in, bool fromUtf8) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    std::string out;
    out.reserve(in.size() * 2 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        int error = errno;  // before append, whose allocation may change errno
        out.append(buffer, dst - buffer);
        if (rc != static_cast<size_t>(-1)) {
            continue;
        }
        if (error == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL: skip one whole input character and put '?' in its place.
        size_t skip = 1;
        auto lead = static_cast<unsigned char>(*src);
        if (fromUtf8) {
            if (lead >= 0xF0) {
                skip = 4;
            } else if (lead >= 0xE0) {
                skip = 3;
            } else if (lead >= 0xC0) {
                skip = 2;
            }
            // Never skip into the middle of a following character.
            for (size_t i = 1; i < skip; ++i) {
                if (i >= srcLeft || (static_cast<unsigned char>(src[i]) & 0xC0) != 0x80) {
                    skip = i;
                    break;
                }
            }
        } else if (lead >= 0x81 && lead <= 0xFE && srcLeft >= 2) {
            auto trail = static_cast<unsigned char>(src[1]);
            if (trail >= 0x40 && trail != 0x7F && trail != 0xFF) {
                skip = 2;
            }
        }
        skip = std::min(skip, srcLeft);
        src += skip;
        srcLeft -= skip;
        out.push_back('?');
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    return Convert("GBK", "UTF-8", utf8, true);
}

std::string GbkToUtf8(std::string_view gbk) {
    return Convert("UTF-8", "GBK", gbk, false);
}

size_t GbkPrefixLength(std::string_view gbk, size_t maxBytes) {
    if (gbk.size() <= maxBytes) {
        return gbk.size();
    }
    size_t i = 0;
    while (i < maxBytes) {
        size_t width = static_cast<unsigned char>(gbk[i]) >= 0x81 ? 2 : 1;
        if (i + width > maxBytes) {
            break;
        }
        i += width;
    }
    return i;
}

std::vector<std::string> GbkMissingCharacters(std::string_view utf8) {
    std::vector<std::string> missing;
    // Most texts convert whole; only those that gain a "?" are looked at character by character.
    const std::string whole = Utf8ToGbk(utf8);
    if (std::count(whole.begin(), whole.end(), '?') == std::count(utf8.begin(), utf8.end(), '?')) {
        return missing;
    }
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t width = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        width = std::min(width, utf8.size() - i);
        const std::string character(utf8.substr(i, width));
        i += width;
        if (character != "?" && Utf8ToGbk(character) == "?" &&
            std::find(missing.begin(), missing.end(), character) == missing.end()) {
            missing.push_back(character);
        }
    }
    return missing;
}
