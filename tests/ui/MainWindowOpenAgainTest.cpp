// Opening a created saver again: the wizard as the user left it, and the files written out.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "pack/InstallerReader.h"
#include "settings/ShowExtras.h"
#include "support/WhenModal.h"
#include "ui/BaFunction.h"
#include "ui/MainWindowFixture.h"
#include "ui/Messages.h"
#include "ui/SaverOpener.h"
#include "ui/UpDown.h"
#include "ui/uShowOptions.h"

class TMainWindowOpenAgainTest : public QObject, protected TMainWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("KAVRO")); }
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void reopenedSaverCreatesTheSameBytes();
    void furtherChoicesComeBack();
    void damagedSaverLeavesTheWizard();
    void writesTheFilesOnceAndNeverOverwrites();

private:
    void EditCaption(int row, const QString& text);
    // A show of three pictures and a sound, titled title.
    void MakeShow(const QString& title);
};

void TMainWindowOpenAgainTest::EditCaption(int row, const QString& text) {
    Child<QListWidget>("lstPicFiles")->setCurrentRow(row);
    WhenModal<TfrmText>([text](TfrmText* dialog) {
        dialog->findChild<QPlainTextEdit*>("moText")->setPlainText(text);
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnPicText")->click();
}

void TMainWindowOpenAgainTest::MakeShow(const QString& title) {
    Insert({Picture("a.jpg", 32, 24),
            Picture("b.bmp", 8, 6, qRgb(0, 0, 255)),
            Picture("c.png", 4, 4, qRgb(0, 255, 0))});
    ChooseSound();
    TypeTitle(title);
}

void TMainWindowOpenAgainTest::reopenedSaverCreatesTheSameBytes() {
    // Every kind of setting the wizard keeps differs from its default.
    MakeShow(QStringLiteral("海边散步"));
    EditCaption(1, QStringLiteral("第二张"));
    Child<QComboBox>("cboImageSize")->setCurrentIndex(1);
    Child<TUpDown>("udInterval")->SetPosition(12);
    Child<QRadioButton>("rdoSeqRnd")->click();
    Child<QComboBox>("cboTransitionTime")->setCurrentIndex(4);  // 2.5 seconds
    Child<QCheckBox>("chkPanZoom")->setChecked(true);
    Child<QCheckBox>("chkBlurFill")->setChecked(true);
    FDialogs->Colors.push_back(0x123456);
    FForm->pnlBackColorClick();
    WhenModal<TfrmTransitions>([](TfrmTransitions* dialog) {
        dialog->findChild<QCheckBox*>("CheckBox5")->setChecked(false);
        dialog->findChild<QCheckBox*>("CheckBox22")->setChecked(true);
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnTransitions")->click();
    WhenModal<TfrmDescription>([](TfrmDescription* dialog) {
        dialog->findChild<QCheckBox*>("chkExists")->setChecked(true);
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnDescription")->click();
    const QByteArray original = CreateAs(QStringLiteral("海边散步.run"));
    QVERIFY(!original.isEmpty());

    // A new window, as a week later.
    Reopen(FDir->path());
    QVERIFY(FForm->OpenSaver(FDir->filePath(QStringLiteral("海边散步.run"))));
    const QString folder = FDir->filePath(QStringLiteral("海边散步_文件/"));
    QCOMPARE(Child<QLineEdit>("edtTitle")->text(), QStringLiteral("海边散步"));
    QCOMPARE(Child<QListWidget>("lstPicFiles")->count(), 3);
    QCOMPARE(Child<QListWidget>("lstPicFiles")->item(1)->text(), folder + "002.bmp");
    QCOMPARE(Child<QLineEdit>("edtSound")->text(), folder + QStringLiteral("背景声音.wav"));
    QCOMPARE(Child<QLineEdit>("edtInterval")->text(), QStringLiteral("12"));
    QVERIFY(Child<QRadioButton>("rdoSeqRnd")->isChecked());
    QCOMPARE(Child<QComboBox>("cboTransitionTime")->currentText(), QStringLiteral("2.5 秒"));
    QVERIFY(Child<QCheckBox>("chkPanZoom")->isChecked());
    QVERIFY(Child<QCheckBox>("chkBlurFill")->isChecked());
    bool pushTicked = false, fifthTicked = true;
    WhenModal<TfrmTransitions>([&](TfrmTransitions* dialog) {
        pushTicked = dialog->findChild<QCheckBox*>("CheckBox22")->isChecked();
        fifthTicked = dialog->findChild<QCheckBox*>("CheckBox5")->isChecked();
        dialog->findChild<QPushButton*>("BitBtn2")->click();
    });
    Child<QPushButton>("btnTransitions")->click();
    QVERIFY(pushTicked && !fifthTicked);
    const TShowExtras extras = ReadShowExtras(FForm->Settings());
    QCOMPARE(extras.TransitionHalfSeconds, 5);
    QVERIFY(extras.PanZoom && extras.Fill == TShowExtras::fmBlur && extras.MoreTransitions[1]);
    QCOMPARE(PanelColor(Child<QFrame>("pnlBackColor")), TColor(0x123456));
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(),
             QString::fromStdString(FForm->OutputDir()) + QStringLiteral("海边散步.run"));
    Child<QToolButton>("btnSoundPlay")->click();
    QVERIFY(!FWave->Calls.empty());
    QCOMPARE(FWave->Calls.back().Name,
             std::optional<std::string>((folder + QStringLiteral("背景声音.wav")).toStdString()));
    QCOMPARE(CreateAs("again.run"), original);

    // One caption changed: only that slot's text differs.
    EditCaption(1, QStringLiteral("改过"));
    const QByteArray changed = CreateAs("changed.run");
    QCOMPARE(changed.size(), original.size());
    const int64_t slot =
        TInstallerReader(FDir->filePath("changed.run").toStdString()).Trailer().SettingsOffset +
        offsetof(TSaverSettings, PictureTexts) + sizeof(TSaverPictureText);
    for (qsizetype i = 0; i < original.size(); ++i) {
        if (original[i] != changed[i]) {
            QVERIFY2(i >= slot && i < slot + 256, qPrintable(QString::number(i)));
        }
    }
    QVERIFY(changed != original);
}

void TMainWindowOpenAgainTest::furtherChoicesComeBack() {
    MakeShow(QStringLiteral("Trip"));
    Child<QRadioButton>("rdoSeqShuffle")->click();
    WhenModal<TfrmShowOptions>([](TfrmShowOptions* dialog) {
        QCOMPARE(dialog->findChild<QComboBox*>("cboDateCorner")->currentIndex(), 5);
        dialog->findChild<QCheckBox*>("chkDates")->setChecked(true);
        dialog->findChild<QComboBox*>("cboDateCorner")->setCurrentIndex(0);
        dialog->findChild<QCheckBox*>("chkEachScreen")->setChecked(true);
        dialog->findChild<QCheckBox*>("chkShrink")->setChecked(true);
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnMoreOptions")->click();
    const QByteArray original = CreateAs(QStringLiteral("Trip.run"));
    QVERIFY(!original.isEmpty());
    // Three pictures looked at for shrinking, each a step of its own.
    QCOMPARE(Child<QProgressBar>("pbCreate")->maximum(), 11 + 3);
    const TShowExtras stored =
        ReadShowExtras(TInstallerReader(FDir->filePath("Trip.run").toStdString()).Settings());
    QVERIFY(stored.Shuffle);
    QVERIFY(stored.ShowDates);
    QCOMPARE(stored.DateCorner, tpTopLeft);
    QVERIFY(stored.EachScreenDifferent);
    QVERIFY(stored.ShrinkPictures);

    Reopen(FDir->path());
    QVERIFY(FForm->OpenSaver(FDir->filePath(QStringLiteral("Trip.run"))));
    QVERIFY(Child<QRadioButton>("rdoSeqShuffle")->isChecked());
    bool shown = false;
    WhenModal<TfrmShowOptions>([&shown](TfrmShowOptions* dialog) {
        shown = dialog->findChild<QCheckBox*>("chkDates")->isChecked() &&
                dialog->findChild<QComboBox*>("cboDateCorner")->currentIndex() == 0 &&
                dialog->findChild<QCheckBox*>("chkEachScreen")->isChecked() &&
                dialog->findChild<QCheckBox*>("chkShrink")->isChecked();
        dialog->findChild<QPushButton*>("BitBtn2")->click();
    });
    Child<QPushButton>("btnMoreOptions")->click();
    QVERIFY(shown);
    QCOMPARE(CreateAs("again.run"), original);

    // Back to "随机": shuffle goes, the rest stays.
    Child<QRadioButton>("rdoSeqRnd")->click();
    QVERIFY(!CreateAs("random.run").isEmpty());
    const TShowExtras random =
        ReadShowExtras(TInstallerReader(FDir->filePath("random.run").toStdString()).Settings());
    QVERIFY(!random.Shuffle);
    QVERIFY(random.ShowDates);
}

void TMainWindowOpenAgainTest::damagedSaverLeavesTheWizard() {
    InsertRedAndBlue();
    TypeTitle("Mine");
    const QString good = FDir->filePath("good.run");
    QVERIFY(!CreateAs("good.run").isEmpty());
    const TSaverSettings before = FForm->Settings();
    QFile damaged(FDir->filePath("damaged.run"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(500, 'x'));
    damaged.close();
    QStringList questions;
    bool answer = true;
    SetQuestionHook([&](const QString& text) {
        questions << text;
        return answer;
    });
    FDialogs->Savers.push_back(damaged.fileName());
    Child<QPushButton>("btnSaverOpen")->click();
    QCOMPARE(questions, QStringList({QStringLiteral("当前的图片和设置将被替换，继续吗？")}));
    QCOMPARE(FMessages.size(), 2);  // the creation's, then the refusal
    QVERIFY2(FMessages[1].contains(QStringLiteral("不是 Kavro 屏保文件或已损坏")),
             qPrintable(FMessages[1]));
    QCOMPARE(FDialogs->Folders.last(), QString::fromStdString(FForm->OutputDir()));
    // A 否 leaves the wizard too, even for a good saver.
    answer = false;
    QVERIFY(!FForm->OpenSaver(good));
    QCOMPARE(questions.size(), 2);
    QVERIFY(!QFileInfo::exists(FDir->filePath(QStringLiteral("good_文件"))));

    QCOMPARE(Child<QLineEdit>("edtTitle")->text(), QStringLiteral("Mine"));
    QCOMPARE(Child<QListWidget>("lstPicFiles")->count(), 2);
    QCOMPARE(Child<QListWidget>("lstPicFiles")->item(0)->text(), FDir->filePath("red.bmp"));
    QVERIFY(std::memcmp(&before, &FForm->Settings(), sizeof before) == 0);
}

void TMainWindowOpenAgainTest::writesTheFilesOnceAndNeverOverwrites() {
    MakeShow("Show");
    QVERIFY(!CreateAs("Show.run").isEmpty());
    const TInstallerReader reader(FDir->filePath("Show.run").toStdString());
    const QString documents = FDir->filePath("docs");
    const TSaverFiles first = WriteSaverFiles(reader, documents);
    const QString folder = FDir->filePath(QStringLiteral("Show_文件"));
    QCOMPARE(first.Folder, folder);
    QCOMPARE(first.Pictures,
             QStringList({folder + "/001.jpg", folder + "/002.bmp", folder + "/003.png"}));
    QCOMPARE(first.Sound, folder + QStringLiteral("/背景声音.wav"));
    auto bytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QCOMPARE(bytes(first.Pictures[1]), bytes(FDir->filePath("b.bmp")));
    QCOMPARE(bytes(first.Sound), QByteArray(1000, 'w'));

    // Unchanged files are used again, a missing one written anew.
    QVERIFY(QFile::remove(first.Pictures[2]));
    QCOMPARE(WriteSaverFiles(reader, documents).Folder, folder);
    QCOMPARE(bytes(first.Pictures[2]), bytes(FDir->filePath("c.png")));

    // A file changed since is never overwritten: the next folder name is taken.
    QFile edited(first.Pictures[0]);
    QVERIFY(edited.open(QIODevice::WriteOnly));
    edited.write("edited");
    edited.close();
    const TSaverFiles next = WriteSaverFiles(reader, documents);
    QCOMPARE(next.Folder, folder + " (2)");
    QCOMPARE(bytes(first.Pictures[0]), QByteArray("edited"));
    QCOMPARE(bytes(next.Pictures[0]), bytes(FDir->filePath("a.jpg")));
    QVERIFY(!QFileInfo::exists(documents));
}

QTEST_MAIN(TMainWindowOpenAgainTest)
#include "MainWindowOpenAgainTest.moc"
