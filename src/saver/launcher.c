/* The first stage of an installer file, at its very start: it links nothing but the C library,
 * so it runs on any machine. It checks that the libraries of the installer program are there
 * (naming the packages to install when they are not, instead of leaving the user with the
 * dynamic loader's error) and that the file is whole, then runs the installer program stored in
 * this same file (ui.dat) from memory, telling it through KAVRO_SHOW_FILE which file it came from.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "pack/InstallerLayout.h"

extern char** environ;

static const struct {
    const char* Library;
    const char* Package;
} Needed[] = {
    {"libQt6Core.so.6", "libqt6core6"},
    {"libQt6Gui.so.6", "libqt6gui6"},
    {"libQt6Widgets.so.6", "libqt6widgets6"},
    {"libSDL2_mixer-2.0.so.0", "libsdl2-mixer-2.0-0"},
    {"libjpeg.so.62", "libjpeg62-turbo"},
    {"libxcb.so.1", "libxcb1"},
    /* the idle watcher's */
    {"libQt6DBus.so.6", "libqt6dbus6"},
    {"libwayland-client.so.0", "libwayland-client0"},
    {"libXss.so.1", "libxss1"},
};

static int Fail(const char* chinese, const char* english, const char* detail) {
    fprintf(stderr, "%s\n%s%s%s\n", chinese, english, detail ? ": " : "", detail ? detail : "");
    return 1;
}

int main(int argc, char** argv) {
    (void)argc;
    char missing[512] = "";
    for (size_t i = 0; i < sizeof Needed / sizeof Needed[0]; ++i) {
        void* handle = dlopen(Needed[i].Library, RTLD_LAZY | RTLD_LOCAL);
        if (handle) {
            dlclose(handle);
        } else if (!strstr(missing, Needed[i].Package)) {
            strncat(missing, " ", sizeof missing - strlen(missing) - 1);
            strncat(missing, Needed[i].Package, sizeof missing - strlen(missing) - 1);
        }
    }
    if (missing[0]) {
        fprintf(stderr,
                "这个屏保需要的程序库没有安装。请先安装这些软件包：\n"
                "This screensaver needs libraries that are not installed. Install these packages:\n"
                "  sudo apt install%s qt6-qpa-plugins\n",
                missing);
        return 1;
    }

    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return Fail("找不到正在运行的文件。", "Cannot find the running file", NULL);
    }
    self[length] = 0;
    const int file = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (file < 0 || fstat(file, &info) != 0) {
        return Fail("无法读取这个文件。", "Cannot read this file", self);
    }
    /* The whole layout is checked as the reader checks it, before any of it runs: a damaged
     * trailer could otherwise start a cut program, or the saver in place of the installer. */
    static TInstallerLayout layout;
    char reason[LayoutReasonSize];
    if (CheckInstallerLayout(file, info.st_size, &layout, reason) != 0) {
        fprintf(stderr, "“%s” 不是 Kavro 屏保文件或已损坏\n%s\n", self, reason);
        return 1;
    }
    const int64_t offset = layout.Trailer.UiOffset, size = layout.Trailer.UiSize;
    if (size == 0) {
        return Fail("这个文件里没有安装程序，或文件已损坏。",
                    "This file holds no installer program, or is damaged",
                    self);
    }

    const int program = memfd_create("kavro-setup", MFD_CLOEXEC);
    if (program < 0) {
        return Fail("无法启动安装程序。", "Cannot start the installer program", "memfd_create");
    }
    static char buffer[1 << 16];
    for (int64_t done = 0; done < size;) {
        const size_t want =
            size - done < (int64_t)sizeof buffer ? (size_t)(size - done) : sizeof buffer;
        const ssize_t n = pread(file, buffer, want, offset + done);
        if (n <= 0 || write(program, buffer, (size_t)n) != n) {
            return Fail("无法读取这个文件。", "Cannot read this file", self);
        }
        done += n;
    }
    setenv("KAVRO_SHOW_FILE", self, 1);
    fexecve(program, argv, environ);
    return Fail("无法启动安装程序。", "Cannot start the installer program", "fexecve");
}
