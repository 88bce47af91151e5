// The window's layout, moving between its pages, and the previews that entering and leaving the
// create page start and stop.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "engine/CaSaverForms.h"
#include "support/FailingTimerFactory.h"
#include "support/WhenModal.h"
#include "toolkit/WidgetCanvas.h"
#include "ui/BaFunction.h"
#include "ui/MainWindowFixture.h"
#include "ui/UpDown.h"
#include "ui/WizardRules.h"

class TMainWindowPagesTest : public QObject, protected TMainWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("KAVRO")); }
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void showsItsLayout();
    void enablesBackAndNextByPage();
    void aboutOpensFromItsEntry();
    void pageSwitchesStopAndRestartPanelPreview();
    void enteringCreatePageWithoutPicturesStartsNothing();
    void fullScreenPreviewWithoutPicturesRefuses();
    void fullScreenPreviewStopsAndRestartsPanel();
    void panelPreviewDrawsOnThePanel();
    void showThatCannotBeBuiltIsReported();
    void fullListGivesPictureCount255();

private:
    void ControlsFitTheirPages();
};

void TMainWindowPagesTest::ControlsFitTheirPages() {
    // The controls a user works with on each page, and the buttons below the pages.
    auto* tabs = Child<QTabWidget>("Page");
    const QRect pageRect = tabs->currentWidget()->rect();
    QList<QWidget*> areas;
    for (int i = 0; i < tabs->count(); ++i) {
        areas << tabs->widget(i);
    }
    areas << FForm.get();
    for (QWidget* area : areas) {
        const QRect bounds = area == FForm.get() ? FForm->rect() : pageRect;
        QList<std::pair<QString, QRect>> placed;
        for (QWidget* w : area->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                                 qobject_cast<QComboBox*>(w) || qobject_cast<QListWidget*>(w) ||
                                 qobject_cast<QProgressBar*>(w) || qobject_cast<TUpDown*>(w) ||
                                 w->objectName().startsWith("pnl");
            QWidget* owner = w->parentWidget();
            while (owner != nullptr && owner != area && owner != tabs && !areas.contains(owner)) {
                owner = owner->parentWidget();
            }
            // Hidden on purpose (the update button) or part of another control (a combo's
            // list, the up-down's arrows, the tab bar).
            if (!control || owner != area || w->objectName() == "btnUpdate" ||
                w->objectName().isEmpty()) {
                continue;
            }
            const QRect r(w->mapTo(area, QPoint(0, 0)), w->size());
            QVERIFY2(bounds.contains(r), qPrintable(w->objectName() + " leaves its page"));
            for (const auto& [name, other] : placed) {
                QVERIFY2(!r.intersects(other), qPrintable(w->objectName() + " covers " + name));
            }
            placed.append({w->objectName(), r});
        }
    }
}

void TMainWindowPagesTest::showsItsLayout() {
    QCOMPARE(FForm->size(), QSize(602, 358));
    QCOMPARE(FForm->windowTitle(), QStringLiteral("Kavro - 世界上最棒的屏保制作程序"));
    auto* page = Child<QTabWidget>("Page");
    QCOMPARE(page->count(), 3);
    QCOMPARE(page->currentIndex(), 0);
    QCOMPARE(page->tabText(0), QStringLiteral("      第一步(图片)      "));
    QCOMPARE(page->tabText(1), QStringLiteral("      第二步(选项)      "));
    QCOMPARE(page->tabText(2), QStringLiteral("      第三步(创建)      "));

    const std::pair<const char*, QString> buttons[] = {{"btnPicInsert", "插入图片"},
                                                       {"btnPicDelete", "删除图片"},
                                                       {"btnPicText", "添加文本"},
                                                       {"btnTransitions", "过渡效果"},
                                                       {"btnDescription", "描述信息"},
                                                       {"btnPreview", "点击这里"},
                                                       {"btnCreate", "点击这里"},
                                                       {"btnBack", "后退"},
                                                       {"btnNext", "下一步"},
                                                       {"btnExit", "退出"}};
    for (const auto& [name, caption] : buttons) {
        QCOMPARE(Child<QPushButton>(name)->text(), caption);
    }
    const std::pair<const char*, QString> hints[] = {{"btnSoundOpen", "打开"},
                                                     {"btnSoundPlay", "播放"},
                                                     {"btnSoundStop", "停止"},
                                                     {"btnSoundClear", "清除"}};
    for (const auto& [name, hint] : hints) {
        QCOMPARE(Child<QToolButton>(name)->toolTip(), hint);
    }
    // The sizes of the thumbnail area and the preview panel show in the thumbnail and preview
    // tests; here every control must be wholly on its page and clear of the others.
    ControlsFitTheirPages();
    QCOMPARE(Child<QLineEdit>("edtTitle")->text(), TitlePlaceholder);
    QCOMPARE(PanelColor(Child<QWidget>("pnlPicBack")), RGBColor(209, 243, 139));
    QCOMPARE(PanelColor(Child<QWidget>("pnlBackColor")), RGBColor(0, 128, 255));
    QCOMPARE(PanelColor(Child<QWidget>("pnlPreview")), RGBColor(0, 128, 255));
    QVERIFY(Child<QCheckBox>("chkPicPreview")->isChecked());
    auto* size = Child<QComboBox>("cboImageSize");
    QCOMPARE(size->count(), 2);
    QCOMPARE(size->itemText(0), QStringLiteral("原始大小"));
    QCOMPARE(size->itemText(1), QStringLiteral("扩展全屏"));
    QCOMPARE(size->currentIndex(), 0);
    QCOMPARE(Child<QLineEdit>("edtInterval")->text(), QStringLiteral("5"));
    QCOMPARE(Child<TUpDown>("udInterval")->Position(), 5);
    QVERIFY(Child<QRadioButton>("rdoSeqNor")->isChecked());
    QVERIFY(Child<QRadioButton>("RadioButton1")->isChecked());
    QVERIFY(Child<QLineEdit>("edtSound")->isReadOnly());
    QVERIFY(Child<QLineEdit>("edtCreate")->isReadOnly());
    QVERIFY(Child<QLineEdit>("edtCreate")->text().isEmpty());
    QCOMPARE(Child<QProgressBar>("pbCreate")->maximum(), 11);
    QCOMPARE(Child<QProgressBar>("pbCreate")->value(), 0);
    QVERIFY(!Child<QPushButton>("btnBack")->isEnabled());
    QCOMPARE(Child<QWidget>("btnUpdate")->x(), -100);
    QCOMPARE(Child<QAction>("mAbout")->text(), QStringLiteral("关于 Kavro"));
    QCOMPARE(Child<QPushButton>("btnPicInsert")->palette().color(QPalette::ButtonText),
             QColor(0, 128, 128));
    QCOMPARE(FForm->font().pixelSize(), 12);
    QVERIFY(FForm->Title().isEmpty());
    QCOMPARE(FForm->OutputDir(), FForm->ProgramDir() + "ScreenSavers/");
}

void TMainWindowPagesTest::enablesBackAndNextByPage() {
    auto* back = Child<QPushButton>("btnBack");
    auto* next = Child<QPushButton>("btnNext");
    auto* page = Child<QTabWidget>("Page");
    Idle();
    QVERIFY(!back->isEnabled());
    QVERIFY(next->isEnabled());
    next->click();
    Idle();
    QCOMPARE(page->currentIndex(), 1);
    QVERIFY(back->isEnabled());
    QVERIFY(next->isEnabled());
    next->click();
    Idle();
    QCOMPARE(page->currentIndex(), 2);
    QVERIFY(back->isEnabled());
    QVERIFY(!next->isEnabled());
    back->click();
    back->click();
    Idle();
    QCOMPARE(page->currentIndex(), 0);
    QVERIFY(!back->isEnabled());
}

void TMainWindowPagesTest::aboutOpensFromItsEntry() {
    QString caption;
    WhenModal<TfrmAbout>([&caption](TfrmAbout* dialog) {
        caption = dialog->windowTitle();
        dialog->findChild<QPushButton*>("btnExit")->click();
    });
    Child<QToolButton>("btnAbout")->click();
    QCOMPARE(caption, QStringLiteral("关于 Kavro"));
}

void TMainWindowPagesTest::pageSwitchesStopAndRestartPanelPreview() {
    Insert({Picture("p.bmp", 16, 12)});
    auto* page = Child<QTabWidget>("Page");
    page->setCurrentIndex(2);
    QVERIFY(FForm->PanelPreviewRunning());
    QCOMPARE(FForm->Settings().IntervalSeconds, 5);
    QCOMPARE(FFlag->Calls, std::vector<bool>({true}));
    page->setCurrentIndex(0);
    QVERIFY(!FForm->PanelPreviewRunning());
    QCOMPARE(FFlag->Calls, std::vector<bool>({true, false}));
    Child<TUpDown>("udInterval")->SetPosition(9);
    page->setCurrentIndex(2);
    QVERIFY(FForm->PanelPreviewRunning());
    QCOMPARE(FForm->Settings().IntervalSeconds, 9);
    QCOMPARE(FFlag->Calls, std::vector<bool>({true, false, true}));
    Idle();
    Child<QPushButton>("btnBack")->click();
    QVERIFY(!FForm->PanelPreviewRunning());
    QVERIFY(!FFlag->Running);
}

void TMainWindowPagesTest::enteringCreatePageWithoutPicturesStartsNothing() {
    Child<QTabWidget>("Page")->setCurrentIndex(2);
    QVERIFY(!FForm->PanelPreviewRunning());
    QVERIFY(FFlag->Calls.empty());
    QVERIFY(FMessages.isEmpty());
}

void TMainWindowPagesTest::fullScreenPreviewWithoutPicturesRefuses() {
    Child<QTabWidget>("Page")->setCurrentIndex(2);
    Child<QPushButton>("btnPreview")->click();
    QCOMPARE(FMessages, QStringList({Hint + "|" + NoPictures}));
    QVERIFY(!FForm->PanelPreviewRunning());
    QVERIFY(FFlag->Calls.empty());
}

void TMainWindowPagesTest::fullScreenPreviewStopsAndRestartsPanel() {
    Insert({Picture("p.bmp", 16, 12)});
    Child<QTabWidget>("Page")->setCurrentIndex(2);
    QVERIFY(FForm->PanelPreviewRunning());
    bool panelRanDuringShow = true;
    WhenModal<TCaSaverForm>([this, &panelRanDuringShow](TCaSaverForm* saver) {
        panelRanDuringShow = FForm->PanelPreviewRunning();
        QCOMPARE(FFlag->Calls, std::vector<bool>({true, false, true}));
        QTest::keyClick(saver, Qt::Key_Space);
    });
    Child<QPushButton>("btnPreview")->click();
    QVERIFY(!panelRanDuringShow);
    QVERIFY(FForm->PanelPreviewRunning());
    QCOMPARE(FFlag->Calls, std::vector<bool>({true, false, true, false, true}));
    QVERIFY(FMessages.isEmpty());
}

void TMainWindowPagesTest::panelPreviewDrawsOnThePanel() {
    Insert({Picture("p.bmp", 16, 12, qRgb(255, 0, 0))});
    FDialogs->Colors.push_back(65280);
    QTest::mouseClick(Child<QWidget>("pnlBackColor"), Qt::LeftButton);
    auto* panel = Child<TWidgetCanvas>("pnlPreview");
    QCOMPARE(panel->Image().pixel(72, 54), qRgb(0, 255, 0));
    Child<QTabWidget>("Page")->setCurrentIndex(2);
    QVERIFY(FTimers->Last != nullptr);
    QCOMPARE(FTimers->Last->Interval(), 100u);
    QVERIFY(FTimers->Last->Fire());
    // The picture has the screen's shape, so it covers the whole panel once its effect ended.
    QCOMPARE(panel->Image().size(), QSize(145, 109));
    QCOMPARE(panel->Image().pixel(1, 1), qRgb(255, 0, 0));
    QCOMPARE(panel->Image().pixel(72, 54), qRgb(255, 0, 0));
    QCOMPARE(FTimers->Last->Interval(), 5000u);
}

// Building a show may fail (its screen-sized bitmaps); the panel preview and the full-screen
// preview each show the error box instead of throwing into the event loop.
void TMainWindowPagesTest::showThatCannotBeBuiltIsReported() {
    TFailingTimerFactory timers;
    Reopen(Services({}, &timers));
    Insert({Picture("p.bmp", 16, 12)});
    const QString error = "KAVRO|" + QString::fromUtf8(TFailingTimerFactory::Message);

    Child<QTabWidget>("Page")->setCurrentIndex(2);
    QCOMPARE(FMessages, QStringList({error}));
    QVERIFY(!FForm->PanelPreviewRunning());
    QVERIFY(FFlag->Calls.empty());

    // The full-screen window closes on its own; the panel's restart fails once more.
    Child<QPushButton>("btnPreview")->click();
    QCOMPARE(FMessages, QStringList({error, error, error}));
    QVERIFY(!FForm->PanelPreviewRunning());
    QCOMPARE(FFlag->Calls, std::vector<bool>({true, false}));
    QVERIFY(!FFlag->Running);
}

void TMainWindowPagesTest::fullListGivesPictureCount255() {
    QStringList files = Names("p", 255);
    files[0] = Picture("p0.bmp", 8, 8);
    Insert(files);
    Child<QTabWidget>("Page")->setCurrentIndex(2);
    QCOMPARE(FForm->Settings().PictureCount, 255);
}

QTEST_MAIN(TMainWindowPagesTest)
#include "MainWindowPagesTest.moc"
