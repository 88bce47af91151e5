// Weak stand-ins for the canvas's text operations, so that the effect tests and benchmarks link
// before the toolkit's text rendering is in the library; the library's definitions win whenever
// they exist. The effects never draw text.
#include "toolkit/Canvas.h"

__attribute__((weak)) void TCanvas::TextOut(int, int, const std::string&) {}
__attribute__((weak)) int TCanvas::TextWidth(const std::string&) {
    return 0;
}
__attribute__((weak)) int TCanvas::TextHeight(const std::string&) {
    return 0;
}
