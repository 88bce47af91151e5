// Starts the saver program on the root window of an X server and watches the screen: the time
// from the start of the process to its first frame on the screen (any pixel no longer the white
// that the root was cleared to), to the first picture (a red pixel), and the process's resident
// memory some seconds later.
//
// Usage: bench_saver <saver program> <installer file> [runs] [seconds before reading memory]
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace {

using TClock = std::chrono::steady_clock;

struct TScreenState {
    bool Drawn = false;    // anything but the white background
    bool Picture = false;  // the first picture's red
};

class TRootWatch {
public:
    TRootWatch() : FConnection(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(FConnection)) {
            std::fprintf(stderr, "no X server (DISPLAY)\n");
            std::exit(2);
        }
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data;
        FRoot = screen->root;
        FWidth = screen->width_in_pixels;
        FHeight = screen->height_in_pixels;
        FWhite = screen->white_pixel;
    }
    ~TRootWatch() { xcb_disconnect(FConnection); }

    void ClearToWhite() {
        xcb_change_window_attributes(FConnection, FRoot, XCB_CW_BACK_PIXEL, &FWhite);
        xcb_clear_area(FConnection, 0, FRoot, 0, 0, 0, 0);
        free(xcb_get_input_focus_reply(FConnection, xcb_get_input_focus(FConnection), nullptr));
    }

    TScreenState Look() {
        TScreenState state;
        const auto cookie = xcb_get_image(
            FConnection, XCB_IMAGE_FORMAT_Z_PIXMAP, FRoot, 0, 0, FWidth, FHeight, ~0u);
        std::unique_ptr<xcb_get_image_reply_t, decltype(&free)> reply(
            xcb_get_image_reply(FConnection, cookie, nullptr), &free);
        if (!reply) {
            return state;
        }
        const auto* pixels = reinterpret_cast<const uint32_t*>(xcb_get_image_data(reply.get()));
        const int count = xcb_get_image_data_length(reply.get()) / 4;
        for (int i = 0; i < count; ++i) {
            const uint32_t p = pixels[i] & 0xFFFFFF;
            if (p != 0xFFFFFF) {
                state.Drawn = true;
                const int r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
                if (r > 200 && g < 60 && b < 60) {
                    state.Picture = true;
                    break;
                }
            }
        }
        return state;
    }

private:
    xcb_connection_t* FConnection;
    xcb_window_t FRoot = 0;
    uint16_t FWidth = 0, FHeight = 0;
    uint32_t FWhite = 0;
};

double MsSince(TClock::time_point start) {
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

std::string StatusLine(pid_t pid, const char* key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0) {
            return line;
        }
    }
    return std::string(key) + " ?";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(
            stderr, "usage: %s <saver program> <installer file> [runs] [seconds]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    const int seconds = argc > 4 ? std::atoi(argv[4]) : 4;
    TRootWatch watch;
    for (int run = 0; run < runs; ++run) {
        watch.ClearToWhite();
        const TClock::time_point start = TClock::now();
        const pid_t saver = fork();
        if (saver == 0) {
            execl(argv[1], argv[1], "--root", argv[2], static_cast<char*>(nullptr));
            _exit(127);
        }
        double drawn = -1, picture = -1;
        while (picture < 0 && MsSince(start) < 10000) {
            const TScreenState state = watch.Look();
            if (state.Drawn && drawn < 0) {
                drawn = MsSince(start);
            }
            if (state.Picture) {
                picture = MsSince(start);
            }
        }
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        std::printf("first frame %.0f ms, first picture %.0f ms, %s, %s\n",
                    drawn,
                    picture,
                    StatusLine(saver, "VmRSS").c_str(),
                    StatusLine(saver, "VmHWM").c_str());
        std::fflush(stdout);
        kill(saver, SIGTERM);
        waitpid(saver, nullptr, 0);
    }
    return 0;
}
