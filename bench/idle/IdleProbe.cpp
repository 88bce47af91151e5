// Waits until the centre of an X screen shows one of the test show's pictures (red or blue),
// or until it no longer does, and prints the moment in ms since the epoch.
// Usage: bench_idle_probe appear|vanish (on $DISPLAY)
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s appear|vanish\n", argv[0]);
        return 2;
    }
    const bool appear = std::strcmp(argv[1], "appear") == 0;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        auto* reply = xcb_get_image_reply(c,
                                          xcb_get_image(c,
                                                        XCB_IMAGE_FORMAT_Z_PIXMAP,
                                                        screen->root,
                                                        screen->width_in_pixels / 2,
                                                        screen->height_in_pixels / 2,
                                                        1,
                                                        1,
                                                        ~0u),
                                          nullptr);
        uint32_t pixel = 0;
        if (reply) {
            std::memcpy(&pixel, xcb_get_image_data(reply), 4);
            std::free(reply);
        }
        pixel &= 0xFFFFFF;
        const bool shown = pixel == 0xFF0000 || pixel == 0x0000FF;
        if (shown == appear) {
            const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::system_clock::now().time_since_epoch());
            std::printf("%lld\n", static_cast<long long>(now.count()));
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 1;
}
