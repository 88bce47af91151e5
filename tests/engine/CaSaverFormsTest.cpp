#include <unistd.h>

#include <QtTest>
#include <filesystem>

#include "engine/CaSaverForms.h"
#include "engine/CaScreenSaverMain.h"
#include "engine/MouseCursor.h"
#include "support/FailingTimerFactory.h"
#include "support/FakeFrameClock.h"
#include "support/FakeScreen.h"
#include "support/FakeTimer.h"
#include "support/RecordingMediaControl.h"
#include "support/RecordingWavePlayer.h"
#include "toolkit/WidgetCanvas.h"

namespace {

class TCountingCursor : public TMouseCursor {
public:
    void Hide() override { ++Hides; }
    void Show() override { ++Shows; }
    int Hides = 0;
    int Shows = 0;
};

constexpr int SW = 64;
constexpr int SH = 48;
constexpr TColor Back = RGBColor(10, 20, 200);

}  // namespace

class SaverFormTest : public QObject {
    Q_OBJECT

    TFakeTimerFactory* Timers = nullptr;
    TFakeFrameClockFactory Frames;
    TFakeScreen Screen{SW, SH};
    TRecordingMediaControl* Media = nullptr;
    TRecordingWavePlayer Wave;
    TCountingCursor* Cursor = nullptr;
    TSaverSettings Settings{};
    std::vector<std::string> Files;
    std::string PictureFile;

    std::unique_ptr<TCaSaverForm> MakeForm(bool paced = false) {
        TShowServices services{*Timers, Screen, *Media, Wave, paced ? &Frames : nullptr};
        const TColor back = Settings.BackColor;  // a packed field: copied, not bound
        return std::make_unique<TCaSaverForm>(
            back,
            TCaScreenSaverMain::FullScreen(Settings, Files, "/s/tune.mp3", services),
            Screen,
            Cursor);
    }

    // Shows the window full screen without the modal loop, until its show runs.
    void ShowRunning(TCaSaverForm& form) {
        form.ShowSaver();
        QVERIFY(form.windowState().testFlag(Qt::WindowFullScreen));
        QVERIFY(QTest::qWaitFor([this] { return Timers->Created == 1; }));
    }

    void Move(QWidget& w, QPoint at) {
        QMouseEvent e(
            QEvent::MouseMove, at, w.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &e);
    }
    void Click(QWidget& w) {
        QMouseEvent press(QEvent::MouseButtonPress,
                          QPointF(5, 5),
                          w.mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton,
                          Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &press);
        QMouseEvent release(QEvent::MouseButtonRelease,
                            QPointF(5, 5),
                            w.mapToGlobal(QPointF(5, 5)),
                            Qt::LeftButton,
                            Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &release);
    }

    int Count(const std::string& command) {
        return static_cast<int>(
            std::count(Media->Commands.begin(), Media->Commands.end(), command));
    }

private slots:
    void initTestCase() {
        PictureFile = (std::filesystem::temp_directory_path() /
                       ("kavro-saver-" + std::to_string(::getpid()) + ".bmp"))
                          .string();
        QImage red(4, 3, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(QString::fromStdString(PictureFile)));
    }
    void cleanupTestCase() { std::filesystem::remove(PictureFile); }

    void init() {
        Timers = new TFakeTimerFactory;
        Media = new TRecordingMediaControl;
        Cursor = new TCountingCursor;
        InitSaverSettings(Settings);
        Settings.BackColor = Back;
        Settings.PictureCount = 1;
        Settings.StretchImages = 1;
        Settings.SequentialOrder = 1;
        Settings.IntervalSeconds = 5;
        Settings.PlaySound = Settings.SoundIncluded = 1;
        Files = {PictureFile};
    }
    void cleanup() {
        delete Timers;
        delete Media;
        delete Cursor;
    }

    // Before the show draws, the whole window is BackColor.
    void coversTheScreenInTheBackColour() {
        auto form = MakeForm();
        QCOMPARE(form->geometry().size(), QSize(SW, SH));
        QVERIFY(form->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(form->hasMouseTracking());
        const QImage shown = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb back = qRgb(10, 20, 200);
        QCOMPARE(shown.pixel(0, 0), back);
        QCOMPARE(shown.pixel(SW - 1, SH - 1), back);
        QCOMPARE(Timers->Created, 0);
    }

    // The show starts once the window is up, full screen (pictures unscaled as the settings
    // say), with its sound.
    void showPlaysOnTheWindow() {
        Settings.StretchImages = 0;
        auto form = MakeForm();
        ShowRunning(*form);
        QCOMPARE(Timers->Last->Interval(), 100u);
        QVERIFY(Timers->Last->Enabled());
        QCOMPARE(Count("play mp repeat"), 1);
        QVERIFY(Timers->Last->Fire());
        auto* canvas = form->findChild<TWidgetCanvas*>("imgShow");
        QVERIFY(canvas);
        // A 4 x 3 picture at ((64 - 4) div 2, (48 - 3) div 2) = (30, 22) in the frame, which is
        // stretched onto the 65 x 49 target bitmap: target column x shows frame column
        // x * 64 div 65, so the picture lies on columns 31 to 34 and rows 23 to 25.
        const QImage& shown = canvas->Image();
        const QRgb red = qRgb(255, 0, 0), back = qRgb(10, 20, 200);
        QCOMPARE(shown.pixel(31, 23), red);
        QCOMPARE(shown.pixel(34, 25), red);
        QCOMPARE(shown.pixel(30, 23), back);
        QCOMPARE(shown.pixel(35, 25), back);
        QCOMPARE(shown.pixel(31, 22), back);
        QCOMPARE(shown.pixel(31, 26), back);
    }

    void anyKeyEnds_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("letter") << int(Qt::Key_A);
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("shift alone") << int(Qt::Key_Shift);
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("tab") << int(Qt::Key_Tab);
        QTest::newRow("backtab") << int(Qt::Key_Backtab);
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("left") << int(Qt::Key_Left);
    }
    void anyKeyEnds() {
        QFETCH(int, key);
        auto form = MakeForm();
        ShowRunning(*form);
        QTest::keyClick(form.get(), Qt::Key(key));
        QVERIFY(!form->isVisible());
        QCOMPARE(Timers->Destroyed, 1);
        QCOMPARE(Count("stop mp"), 1);
    }

    // A key in the middle of a paced transition ends the show and closes the window at once,
    // without waiting for the rest of the effect.
    void keyMidTransitionEnds() {
        auto form = MakeForm(true);
        ShowRunning(*form);
        QVERIFY(Timers->Last->Fire());
        QVERIFY(Frames.Last->Started);
        Frames.Last->Frame(300);
        QVERIFY(Frames.Last->Started);
        QTest::keyClick(form.get(), Qt::Key_A);
        QVERIFY(!form->isVisible());
        QCOMPARE(Timers->Destroyed, 1);
        QCOMPARE(Count("stop mp"), 1);
    }

    // m: a mouse movement, c: a click without movement.
    void secondMovementEnds_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<bool>("ended");
        QTest::newRow("one move") << "m" << false;
        QTest::newRow("two moves") << "mm" << true;
        QTest::newRow("clicks only") << "ccc" << false;
        QTest::newRow("click, move") << "cm" << false;
        QTest::newRow("move, click, move") << "mcm" << true;
        QTest::newRow("three moves") << "mmm" << true;
    }
    void secondMovementEnds() {
        QFETCH(QString, events);
        QFETCH(bool, ended);
        auto form = MakeForm();
        ShowRunning(*form);
        int x = 1;
        for (QChar e : events) {
            if (e == 'm') {
                Move(*form, QPoint(x++, 3));
            } else {
                Click(*form);
            }
        }
        QCOMPARE(!form->isVisible(), ended);
        QCOMPARE(Timers->Destroyed, ended ? 1 : 0);
    }

    // Only the first end acts; a later activation does not start another show.
    void endSaverActsOnce() {
        auto form = MakeForm();
        int ends = 0;
        form->OnEnded = [&ends] { ++ends; };
        ShowRunning(*form);
        form->EndSaver();
        form->EndSaver();
        QTest::keyClick(form.get(), Qt::Key_B);
        Move(*form, QPoint(1, 1));
        Move(*form, QPoint(2, 2));
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(form.get(), &activate);
        QCoreApplication::processEvents();
        QCOMPARE(Timers->Created, 1);
        QCOMPARE(Timers->Destroyed, 1);
        QCOMPARE(Count("stop mp"), 1);
        QCOMPARE(Count("close mp"), 1);
        QCOMPARE(ends, 1);
    }

    void cursorHiddenAndShownOnce_data() {
        QTest::addColumn<QString>("life");
        QTest::newRow("never shown") << "none";
        QTest::newRow("ended by a key") << "key";
        QTest::newRow("destroyed while running") << "running";
    }
    void cursorHiddenAndShownOnce() {
        QFETCH(QString, life);
        auto form = MakeForm();
        QCOMPARE(Cursor->Hides, 1);
        QCOMPARE(Cursor->Shows, 0);
        if (life != "none") {
            ShowRunning(*form);
        }
        if (life == "key") {
            QTest::keyClick(form.get(), Qt::Key_A);
        }
        QCOMPARE(Cursor->Shows, 0);
        form.reset();
        QCOMPARE(Cursor->Hides, 1);
        QCOMPARE(Cursor->Shows, 1);
        QCOMPARE(Timers->Destroyed, Timers->Created);
        QCOMPARE(Count("stop mp"), life == "none" ? 0 : 1);
    }

    // A show that cannot be built closes the window and is reported, not thrown into the event
    // loop, whether the window runs modally or not.
    void failedShowIsReported_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("modal");
        QTest::newRow("factory throws, shown") << "factory" << false;
        QTest::newRow("factory throws, modal") << "factory" << true;
        QTest::newRow("show's timer fails, modal") << "timer" << true;
    }
    void failedShowIsReported() {
        QFETCH(QString, failure);
        QFETCH(bool, modal);
        TFailingTimerFactory failingTimers;
        TShowServices services{failingTimers, Screen, *Media, Wave};
        TShowFactory makeShow = TCaScreenSaverMain::FullScreen(Settings, Files, "", services);
        if (failure == "factory") {
            makeShow = [](TCanvas&, const TRect&) -> std::unique_ptr<TCbScreenSaver> {
                throw std::runtime_error("内存不足：无法建立 64 × 48 的位图");
            };
        }
        auto form = std::make_unique<TCaSaverForm>(Back, makeShow, Screen, Cursor);
        QStringList reported;
        form->OnShowError = [&reported](const std::exception& error) {
            reported << QString::fromUtf8(error.what());
        };
        if (modal) {
            // Only a safety net against a hang; the failure alone closes the window.
            QTimer::singleShot(20000, form.get(), [&] { form->done(1); });
            form->RunSaver();
        } else {
            form->show();
            QVERIFY(QTest::qWaitFor([&] { return !reported.isEmpty(); }));
        }
        QCOMPARE(
            reported,
            QStringList(failure == "factory" ? QStringLiteral("内存不足：无法建立 64 × 48 的位图")
                                             : QString::fromUtf8(TFailingTimerFactory::Message)));
        QVERIFY(!form->isVisible());
        form.reset();
        QCOMPARE(Cursor->Shows, Cursor->Hides);
    }

    // RunSaver returns once a key has closed the window.
    void runSaverIsModal() {
        auto form = MakeForm();
        bool keySent = false;
        QTimer::singleShot(0, form.get(), [&] {
            QVERIFY(QTest::qWaitFor([this] { return Timers->Created == 1; }));
            QVERIFY(form->isModal());
            QVERIFY(form->isFullScreen());
            QTest::keyClick(form.get(), Qt::Key_A);
            keySent = true;
        });
        // Only a safety net against a hang; the test passes on the key alone.
        QTimer::singleShot(20000, form.get(), [&] { form->done(1); });
        form->RunSaver();
        QVERIFY(keySent);
        QCOMPARE(Timers->Destroyed, 1);
    }
};

QTEST_MAIN(SaverFormTest)
#include "CaSaverFormsTest.moc"
