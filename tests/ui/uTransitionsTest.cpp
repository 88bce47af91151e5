#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QTest>
#include <cstring>

#include "support/DialogDriver.h"
#include "ui/uTransitions.h"

class TransitionsDialogTest : public QObject {
    Q_OBJECT

private:
    TfrmTransitions* dialog = nullptr;
    // A refusal the test did not expect must not block on a real box.
    TMessageRecorder messages;
    QCheckBox* Box(int number) {
        return dialog->findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(number));
    }
    void UntickAll() {
        for (int number = 1; number <= TransitionCount + MoreTransitionCount; ++number) {
            Box(number)->setChecked(false);
        }
    }

private slots:
    void init() {
        dialog = new TfrmTransitions;
        messages.Captions.clear();
        messages.Texts.clear();
    }
    void cleanup() { delete dialog; }

    void boxesStandInColumnsOfFour() {
        const char* captions[] = {"左边移出",
                                  "下边移出",
                                  "左上移出",
                                  "从左擦除",
                                  "图片放大",
                                  "窗口关闭",
                                  "随机水平",
                                  "垂直遮盖"};
        const int numbers[] = {1, 4, 5, 9, 13, 16, 17, 20};
        for (int i = 0; i < 8; ++i) {
            QVERIFY(Box(numbers[i]));
            QCOMPARE(Box(numbers[i])->text(), QString::fromUtf8(captions[i]));
        }
        // Down the first column, then on to the top of the second; tab order the same.
        QCOMPARE(Box(2)->x(), Box(1)->x());
        QCOMPARE(Box(4)->x(), Box(1)->x());
        QVERIFY(Box(2)->y() > Box(1)->y());
        QVERIFY(Box(4)->y() > Box(3)->y());
        QCOMPARE(Box(5)->y(), Box(1)->y());
        QVERIFY(Box(5)->x() > Box(1)->x());
        QCOMPARE(Box(20)->y(), Box(4)->y());
        QVERIFY(Box(20)->x() > Box(16)->x());
        QCOMPARE(Box(4)->nextInFocusChain(), Box(5));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("过渡效果"));
        QCOMPARE(dialog->size(), QSize(635, 192));
    }

    // Effects 21 to 23 stand in a row below the twenty, in number order.
    void moreEffectsStandBelowTheTwenty() {
        const char* captions[] = {"淡入淡出", "推入", "缩放淡入"};
        for (int i = 0; i < 3; ++i) {
            QVERIFY(Box(21 + i));
            QCOMPARE(Box(21 + i)->text(), QString::fromUtf8(captions[i]));
            QCOMPARE(Box(21 + i)->y(), Box(21)->y());
            QVERIFY(Box(21 + i)->y() > Box(4)->y());
            QVERIFY(Box(21 + i)->geometry().bottom() < Box(1)->parentWidget()->height());
        }
        QVERIFY(Box(22)->x() > Box(21)->x());
        QCOMPARE(Box(21)->x(), Box(1)->x());
        QCOMPARE(Box(20)->nextInFocusChain(), Box(21));
        QVERIFY(dialog->findChild<QPushButton*>("btnOK")->y() >
                Box(1)->parentWidget()->geometry().bottom());
    }

    // One of the three alone is a choice; none of the 23 is refused. The boxes come from and
    // go back to the further choices, and with only those chosen the twenty show unticked.
    void moreEffectsTakePartInTheRules() {
        uint8_t flags[TransitionCount];
        std::memset(flags, 1, sizeof flags);
        TShowExtras extras;
        extras.MoreTransitions[2] = true;
        bool twentyTicked = true, thirdTicked = false;
        WhileOpen(dialog, [&] {
            twentyTicked = Box(1)->isChecked() && Box(20)->isChecked();
            thirdTicked = Box(23)->isChecked() && !Box(21)->isChecked();
            UntickAll();
            QVERIFY(dialog->NoneSelected());
            dialog->findChild<QPushButton*>("btnOK")->click();
            QVERIFY(dialog->isVisible());
            Box(22)->setChecked(true);
            QVERIFY(!dialog->NoneSelected());
            dialog->findChild<QPushButton*>("btnOK")->click();
        });
        QVERIFY(dialog->EditTransitions(flags, extras));
        QVERIFY(twentyTicked && thirdTicked);
        QCOMPARE(messages.Texts.size(), 1);
        dialog->WriteTransitions(flags, extras);
        const uint8_t none[TransitionCount] = {};
        QVERIFY(std::memcmp(flags, none, sizeof flags) == 0);
        QVERIFY(!extras.MoreTransitions[0] && extras.MoreTransitions[1] &&
                !extras.MoreTransitions[2]);

        // Select all and none take the three in too.
        int ticked = -1;
        WhileOpen(dialog, [&] {
            dialog->findChild<QPushButton*>("btnSelectAll")->click();
            ticked = 0;
            for (int number = 1; number <= TransitionCount + MoreTransitionCount; ++number) {
                ticked += Box(number)->isChecked();
            }
            dialog->findChild<QPushButton*>("btnSelectNone")->click();
            QVERIFY(dialog->NoneSelected());
            dialog->findChild<QPushButton*>("btnOK")->click();
            QVERIFY(dialog->isVisible());
            dialog->findChild<QPushButton*>("BitBtn2")->click();
        });
        QVERIFY(!dialog->EditTransitions(flags, extras));
        QCOMPARE(ticked, 23);
        QCOMPARE(messages.Texts.size(), 2);

        extras.NoClassicTransitions = true;
        std::memset(flags, 1, sizeof flags);
        bool anyOfTwenty = true, second = false;
        WhileOpen(dialog, [&] {
            anyOfTwenty = false;
            for (int number = 1; number <= TransitionCount; ++number) {
                anyOfTwenty = anyOfTwenty || Box(number)->isChecked();
            }
            second = Box(22)->isChecked();
            dialog->findChild<QPushButton*>("BitBtn2")->click();
        });
        QVERIFY(!dialog->EditTransitions(flags, extras));
        QVERIFY(!anyOfTwenty && second);
    }

    void framingPanelIsYellowWithBevels() {
        auto* panel = Box(1)->parentWidget();
        QImage image = dialog->grab().toImage();
        const QPoint corner = panel->geometry().topLeft();
        const QPoint inside = panel->geometry().bottomRight() - QPoint(5, 5);
        QCOMPARE(image.pixelColor(inside), QColor(253, 230, 168));
        // Lowered outer edge: dark at top-left; raised inner edge: light just inside it.
        QCOMPARE(image.pixel(corner + QPoint(5, 0)), panel->palette().color(QPalette::Dark).rgb());
        QCOMPARE(image.pixel(corner + QPoint(5, 1)), panel->palette().color(QPalette::Light).rgb());
    }

    void defaultsOpenAllTicked() {
        TSaverSettings settings;
        InitSaverSettings(settings);
        int ticked = -1;
        WhileOpen(dialog, [&] {
            ticked = 0;
            for (int number = 1; number <= TransitionCount; ++number) {
                ticked += Box(number)->isChecked();
            }
        });
        QVERIFY(!dialog->EditTransitions(settings.Transitions));
        QCOMPARE(ticked, 20);
    }

    void noneTickedIsRefusedUntilOneIs() {
        uint8_t flags[TransitionCount];
        std::memset(flags, 1, sizeof flags);
        WhileOpen(dialog, [&] {
            UntickAll();
            QVERIFY(dialog->NoneSelected());
            dialog->findChild<QPushButton*>("btnOK")->click();
            QVERIFY(dialog->isVisible());
            QTest::keyClick(dialog, Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            Box(7)->setChecked(true);
            QVERIFY(!dialog->NoneSelected());
            dialog->findChild<QPushButton*>("btnOK")->click();
        });
        QVERIFY(dialog->EditTransitions(flags));
        QCOMPARE(messages.Captions, QStringList({"提示!", "提示!"}));
        QCOMPARE(messages.Texts.value(0), QStringLiteral("你还没有选定任何的过渡效果呢!"));

        dialog->WriteTransitions(flags);
        uint8_t expected[TransitionCount] = {};
        expected[6] = 1;
        QVERIFY(std::memcmp(flags, expected, sizeof flags) == 0);
    }

    void cancelWithNoneTickedIsAllowed() {
        uint8_t flags[TransitionCount];
        std::memset(flags, 1, sizeof flags);
        WhileOpen(dialog, [&] {
            UntickAll();
            dialog->findChild<QPushButton*>("BitBtn2")->click();
        });
        QVERIFY(!dialog->EditTransitions(flags));
        QVERIFY(messages.Texts.isEmpty());
        QVERIFY(dialog->NoneSelected());  // the boxes keep the user's changes ...
        WhileOpen(dialog, [&] { QVERIFY(!dialog->NoneSelected()); });
        QVERIFY(!dialog->EditTransitions(flags));  // ... until the next call sets them again
    }

    void anyNonZeroFlagTicksAndComesBackAsOne() {
        uint8_t flags[TransitionCount] = {};
        flags[0] = 2;
        flags[19] = 255;
        bool first = false, second = false, last = false;
        WhileOpen(dialog, [&] {
            first = Box(1)->isChecked();
            second = Box(2)->isChecked();
            last = Box(20)->isChecked();
            dialog->findChild<QPushButton*>("btnOK")->click();
        });
        QVERIFY(dialog->EditTransitions(flags));
        QVERIFY(first && !second && last);
        dialog->WriteTransitions(flags);
        QCOMPARE(int(flags[0]), 1);
        QCOMPARE(int(flags[1]), 0);
        QCOMPARE(int(flags[19]), 1);
    }
};

QTEST_MAIN(TransitionsDialogTest)
#include "uTransitionsTest.moc"
