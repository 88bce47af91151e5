#include "engine/CbScreenSaver.h"

#include <stdexcept>

#include "engine/CcTransition.h"
#include "engine/CdSound.h"
#include "toolkit/Bitmap.h"
#include "toolkit/Picture.h"
#include "toolkit/Random.h"
#include "toolkit/Rounding.h"
#include "toolkit/Screen.h"
#include "toolkit/TextLines.h"
#include "toolkit/Timer.h"

namespace {

constexpr uint32_t FirstTickMs = 100;
constexpr int CaptionMargin = 16;
constexpr int DescriptionLinePitch = 49;
constexpr int BottomRowPitch = 16;

bool AnyEffectEnabled(const TSaverSettings& settings) {
    for (uint8_t flag : settings.Transitions) {
        if (flag != 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

TCbScreenSaver::TCbScreenSaver(TCanvas& targetCanvas,
                               const TRect& targetRect,
                               const TSaverSettings& settings,
                               bool quiet,
                               const TShowServices& services)
    : FTargetCanvas(targetCanvas)
    , FSettings(settings)
    , FQuiet(quiet)
    // Wraps like the 32-bit product it stands for, without signed overflow.
    , FIntervalMs(static_cast<int32_t>(static_cast<uint32_t>(settings.IntervalSeconds) * 1000u))
    , FInert(settings.PictureCount == 0 || !AnyEffectEnabled(settings)) {
    if (FIntervalMs == 0) {
        FIntervalMs = 1;
    }
    FTimer = services.Timers.CreateTimer();
    FTimer->SetEnabled(false);
    FTimer->OnTimer = [this] { Tick(); };

    const int sw = services.Screen.Width();
    const int sh = services.Screen.Height();
    FTitleBitmap = std::make_unique<TBitmap>(sw, sh);
    if (FSettings.Description.ShowDescription != 0) {
        DrawTitleScreen();
    }
    FFrameBitmap = std::make_unique<TBitmap>(sw, sh);
    FTargetBitmap = std::make_unique<TBitmap>(targetRect.Right - targetRect.Left + 1,
                                              targetRect.Bottom - targetRect.Top + 1);
    FTransition = new TCcTransition();
    FSound = std::make_unique<TCdSound>(services.Media, services.Wave);
}

TCbScreenSaver::~TCbScreenSaver() {
    if (FTransition) {
        FTransition->CancelAndFree();
        FTransition = nullptr;
    }
}

void TCbScreenSaver::DrawTitleScreen() {
    TCanvas& canvas = FTitleBitmap->Canvas();
    const int sw = FTitleBitmap->Width();
    const int sh = FTitleBitmap->Height();
    canvas.Brush().Color = FSettings.BackColor;
    canvas.FillRect(canvas.ClipRect());

    // The screen fractions are taken in extended precision: in double, 650 x 0.17 comes out
    // just above 110.5 and rounds up, where the exact product is a tie that goes to 110.
    TFont& font = canvas.Font();
    const std::string title = ReadFieldUtf8(FSettings.Title) + " Screen Saver";
    font.Size = 24;
    font.Color = RGBColor(0, 255, 0);
    font.Style = fsBold | fsItalic;
    canvas.TextOut((sw - canvas.TextWidth(title)) / 2, RoundToEven(sh * 0.17L), title);
    font.Style = fsBold;

    const std::string description = ReadFieldUtf8(FSettings.Description.DescriptionText);
    if (!description.empty()) {
        font.Size = 12;
        font.Color = RGBColor(255, 255, 0);
        const int x = RoundToEven(sw * 0.17L);
        int y = RoundToEven(sh * 0.34L);
        for (const std::string& line : SplitLines(description)) {
            canvas.TextOut(x, y, line);
            y += DescriptionLinePitch;
        }
    }

    font.Size = 10;
    font.Color = clWhite;
    const int y0 = RoundToEven(sh * 0.75L);
    const std::string rows[] = {ReadFieldUtf8(FSettings.Description.WebAddress),
                                ReadFieldUtf8(FSettings.Description.CompanyName),
                                ReadFieldUtf8(FSettings.Description.RightsNotice)};
    for (int i = 0; i < 3; ++i) {
        if (!rows[i].empty()) {
            canvas.TextOut((sw - canvas.TextWidth(rows[i])) / 2, y0 + i * BottomRowPitch, rows[i]);
        }
    }
}

void TCbScreenSaver::Start() {
    FTargetCanvas.Brush().Reset();
    FTargetCanvas.Brush().Color = FSettings.BackColor;
    FTargetCanvas.FillRect(FTargetCanvas.ClipRect());
    if (FInert) {
        return;
    }
    if (!FQuiet && FSettings.PlaySound != 0) {
        StartSound();
    }
    FTimer->SetInterval(FirstTickMs);
    FTimer->SetEnabled(true);
}

void TCbScreenSaver::StartSound() {
    if (FSettings.SoundIncluded == 0) {
        return;
    }
    const std::string name = GetSoundFileName();
    if (!name.empty()) {
        FSound->Play(name);
    }
}

void TCbScreenSaver::Tick() {
    FTimer->SetEnabled(false);
    if (FStopping) {
        return;
    }
    FInTick = true;
    try {
        ComposeFrame();
        if (!FStopping) {
            TCanvas& target = FTargetBitmap->Canvas();
            target.StretchDraw(target.ClipRect(), *FFrameBitmap);
            PickEffect();
        }
        if (!FStopping) {
            FTimer->SetInterval(static_cast<uint32_t>(FIntervalMs));
            FTimer->SetEnabled(true);
        }
        FFailedPictures.reset();
    } catch (const TPictureDecodeError&) {
        // A picture that cannot be decoded is skipped: nothing is drawn for it and the next one
        // comes at the next interval. Once every picture has failed since the last frame shown,
        // the show stays as it is, like after any other failure.
        FFailedPictures.set(static_cast<size_t>(FPictureIndex));
        if (!FStopping && FFailedPictures.count() < FSettings.PictureCount) {
            FTimer->SetInterval(static_cast<uint32_t>(FIntervalMs));
            FTimer->SetEnabled(true);
        }
    } catch (...) {
        // The show freezes on its last frame: the timer stays off until Stop.
    }
    FInTick = false;
    if (FStopping) {
        delete this;
    }
}

void TCbScreenSaver::NextPicture() {
    const int32_t n = FSettings.PictureCount;
    const bool withTitle = FSettings.Description.ShowDescription != 0;
    if (FSettings.SequentialOrder != 0) {
        ++FPictureIndex;
        if (FPictureIndex > n) {
            FPictureIndex = withTitle ? 0 : 1;
        }
        return;
    }
    const int32_t first = withTitle ? 0 : 1;
    const bool onlyCurrent = first == n && FPictureIndex == n;
    if (onlyCurrent) {
        return;
    }
    int32_t k;
    do {
        k = Random(n + 1);
    } while (k < first || k == FPictureIndex);
    FPictureIndex = k;
}

void TCbScreenSaver::ComposeFrame() {
    NextPicture();
    TCanvas& canvas = FFrameBitmap->Canvas();
    if (FPictureIndex == 0) {
        canvas.Draw(0, 0, *FTitleBitmap);
        return;
    }
    const int w = FFrameBitmap->Width();
    const int h = FFrameBitmap->Height();
    canvas.Brush().Reset();
    canvas.Brush().Color = FSettings.BackColor;
    canvas.FillRect(canvas.ClipRect());

    const TBitmap& g = GetPicture(FPictureIndex - 1);
    const int gw = g.Width();
    const int gh = g.Height();
    if (FSettings.StretchImages != 0) {
        if (gh == 0 || h == 0) {
            throw std::runtime_error("picture of height 0");
        }
        const double sa = static_cast<double>(w) / h;
        const double pa = static_cast<double>(gw) / gh;
        if (sa >= pa) {
            const int fw = RoundToEven(h * pa);
            const int x = (w - fw) / 2;
            canvas.StretchDraw(Rect(x, 0, x + fw, h), g);
        } else {
            const int fh = RoundToEven(w / pa);
            const int y = (h - fh) / 2;
            canvas.StretchDraw(Rect(0, y, w, y + fh), g);
        }
    } else {
        canvas.Draw((w - gw) / 2, (h - gh) / 2, g);
    }
    DrawCaption(FSettings.PictureTexts[FPictureIndex - 1]);
}

void TCbScreenSaver::DrawCaption(const TSaverPictureText& slot) {
    const std::string text = ReadFieldUtf8(slot.Text);
    if (text.empty()) {
        return;
    }
    TCanvas& canvas = FFrameBitmap->Canvas();
    SaverFontToFont(slot.Font, canvas.Font());
    const int sw = FFrameBitmap->Width();
    const int sh = FFrameBitmap->Height();
    int x = slot.Left;
    int y = slot.Top;
    const int lh = canvas.TextHeight(text);
    const std::vector<std::string> lines = SplitLines(text);
    const int n = static_cast<int>(lines.size());

    // Read as unsigned, a negative position falls among the custom ones.
    const auto position = static_cast<uint32_t>(slot.Position);
    if (position <= uint32_t{tpTopRight}) {
        y = CaptionMargin;
    } else if (position <= uint32_t{tpBottomRight}) {
        y = sh - (n * lh + RoundToEven((n - 1) * lh * 0.5) + CaptionMargin);
    }
    for (const std::string& line : lines) {
        const int lw = canvas.TextWidth(line);
        switch (position) {
            case tpTopLeft:
            case tpBottomLeft:
                x = CaptionMargin;
                break;
            case tpTopCenter:
            case tpBottomCenter:
                x = (sw - lw) / 2;
                break;
            case tpTopRight:
            case tpBottomRight:
                x = sw - lw - CaptionMargin;
                break;
            default:
                break;
        }
        canvas.TextOut(x, y, line);
        y += RoundToEven(lh * 1.5);
    }
}

void TCbScreenSaver::PickEffect() {
    int32_t e;
    do {
        e = Random(TransitionCount);
    } while (FSettings.Transitions[e] == 0);
    FTransition->Run(FTargetBitmap.get(), &FTargetCanvas, e + 1);
}

void TCbScreenSaver::Stop(std::unique_ptr<TCbScreenSaver>& saver) {
    TCbScreenSaver* self = saver.release();
    if (!self) {
        return;
    }
    self->FStopping = true;
    if (self->FInTick) {
        // Reached from inside a tick: tell the effect to quit and let the tick end first.
        self->FTransition->Cancelled = true;
        return;
    }
    delete self;
}
