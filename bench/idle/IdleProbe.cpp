// Waits until an X screen shows one of the test show's pictures (red or blue), or until it no
// longer does, and prints the moments in ms since the epoch. "appear" prints two: when any point
// of a grid over the screen first shows a picture (the first frame of the picture's transition),
// and when the centre does; "vanish" prints when no grid point shows one any more.
// Usage: bench_idle_probe appear|vanish (on $DISPLAY)
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

long long Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool IsPicture(const uint8_t* pixel) {
    uint32_t value = 0;
    std::memcpy(&value, pixel, 4);
    value &= 0xFFFFFF;
    return value == 0xFF0000 || value == 0x0000FF;
}

}  // namespace

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
    const int width = screen->width_in_pixels;
    const int height = screen->height_in_pixels;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    long long first = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        auto* reply = xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0, width, height, ~0u),
            nullptr);
        bool any = false;
        bool centre = false;
        if (reply) {
            const uint8_t* data = xcb_get_image_data(reply);
            const int stride = xcb_get_image_data_length(reply) / height;
            for (int y = 4; y < height && !any; y += 8) {
                for (int x = 4; x < width && !any; x += 8) {
                    any = IsPicture(data + y * stride + x * 4);
                }
            }
            centre = IsPicture(data + height / 2 * stride + width / 2 * 4);
            std::free(reply);
        }
        if (!appear && !any) {
            std::printf("%lld\n", Now());
            return 0;
        }
        if (appear && any && first == 0) {
            first = Now();
        }
        if (appear && centre) {
            std::printf("%lld %lld\n", first ? first : Now(), Now());
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 1;
}
