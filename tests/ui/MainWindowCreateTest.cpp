// Creating the installer: its name from the title, the build and its progress, where it goes,
// and what the user is told.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "pack/InstallerReader.h"
#include "settings/CodePage.h"
#include "support/FakeHome.h"
#include "ui/MainWindowFixture.h"
#include "ui/WizardRules.h"

namespace {

// Keeps the value a progress bar shows each time it is painted.
class TPaintRecorder : public QObject {
public:
    explicit TPaintRecorder(QProgressBar* bar) : FBar(bar) { bar->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == FBar && event->type() == QEvent::Paint) {
            Values << FBar->value();
        }
        return false;
    }
    QList<int> Values;

private:
    QProgressBar* FBar;
};

}  // namespace

class TMainWindowCreateTest : public QObject, protected TMainWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("KAVRO")); }
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void namesOutputFromTitle();
    void refusesCreateWithoutTitle_data();
    void refusesCreateWithoutTitle();
    void titleExitReplacesChosenTarget();
    void onlyMovingToAnotherControlLeavesTitle();
    void createsInstallerEndToEnd();
    void missingSoundFailsBuildAndClearsProgress();
    void chosenTargetPassesWithoutTitleAndOpensDefaultFolder();
    void successAlwaysNamesTheFile_data();
    void successAlwaysNamesTheFile();
    void outputGoesBelowDocumentsWhenProgramFolderIsReadOnly_data();
    void outputGoesBelowDocumentsWhenProgramFolderIsReadOnly();
    void findsInstalledStubsBesideBin();
    void namesThatAreNotUtf8GoThroughUnchanged();
    void warnsOnceAboutCharactersGbkLacks_data();
    void warnsOnceAboutCharactersGbkLacks();
};

void TMainWindowCreateTest::namesOutputFromTitle() {
    TypeTitle(QStringLiteral("  My  Show  "));
    QCOMPARE(FForm->Title(), QStringLiteral("My  Show"));
    LeaveTitle();
    const QString expected = QString::fromStdString(FForm->OutputDir()) + "MyShow.run";
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(), expected);
    FForm->CopyControlsToSettings();
    QCOMPARE(QByteArray(FForm->Settings().Title), QByteArray("  My  Show  "));

    TypeTitle(QStringLiteral("a/b"));
    LeaveTitle();
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(),
             QString::fromStdString(FForm->OutputDir()) + "a_b.run");
    FForm->CopyControlsToSettings();
    QCOMPARE(QByteArray(FForm->Settings().Title), QByteArray("a/b"));
}

void TMainWindowCreateTest::refusesCreateWithoutTitle_data() {
    QTest::addColumn<QString>("title");
    QTest::newRow("blanks only") << QStringLiteral("   ");
    QTest::newRow("empty") << QString();
    QTest::newRow("placeholder") << TitlePlaceholder;
}

void TMainWindowCreateTest::refusesCreateWithoutTitle() {
    QFETCH(QString, title);
    Insert({Picture("p.bmp", 8, 8)});
    TypeTitle(QStringLiteral("Something"));
    LeaveTitle();
    QVERIFY(!Child<QLineEdit>("edtCreate")->text().isEmpty());
    TypeTitle(title);
    LeaveTitle();
    QVERIFY(Child<QLineEdit>("edtCreate")->text().isEmpty());
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages, QStringList({Hint + "|" + NoTitle}));
    QVERIFY(!QDir(QString::fromStdString(FForm->OutputDir())).exists());
}

void TMainWindowCreateTest::titleExitReplacesChosenTarget() {
    const QString chosen = FDir->filePath("elsewhere/mine.exe");
    FDialogs->Targets.push_back(chosen);
    Child<QToolButton>("btnCreateOpen")->click();
    QCOMPARE(FDialogs->Folders, QStringList({QString::fromStdString(FForm->OutputDir())}));
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(), chosen);
    TypeTitle(QStringLiteral("Show"));
    LeaveTitle();
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(),
             QString::fromStdString(FForm->OutputDir()) + "Show.run");
}

void TMainWindowCreateTest::onlyMovingToAnotherControlLeavesTitle() {
    TypeTitle(QStringLiteral("Show"));
    auto* title = Child<QLineEdit>("edtTitle");
    auto* output = Child<QLineEdit>("edtCreate");
    QFocusEvent toOtherWindow(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(title, &toOtherWindow);
    QVERIFY(output->text().isEmpty());
    QFocusEvent toNextControl(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(title, &toNextControl);
    QCOMPARE(output->text(), QString::fromStdString(FForm->OutputDir()) + "Show.run");
}

void TMainWindowCreateTest::createsInstallerEndToEnd() {
    const QString first = Picture("first.jpg", 32, 24);
    const QString second = Picture("second.bmp", 8, 6);
    Insert({first, second});
    ChooseSound();
    TypeTitle(QStringLiteral(" 我的 Show "));
    LeaveTitle();
    auto* page = Child<QTabWidget>("Page");
    page->setCurrentIndex(2);
    QVERIFY(FForm->PanelPreviewRunning());

    auto* progress = Child<QProgressBar>("pbCreate");
    QList<int> steps;
    connect(progress, &QProgressBar::valueChanged, this, [&steps](int value) { steps << value; });
    TPaintRecorder painted(progress);
    Child<QPushButton>("btnCreate")->click();

    QCOMPARE(steps, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}));
    // The build holds the event loop, yet the bar was painted at every step.
    for (int step = 1; step <= 11; ++step) {
        QVERIFY2(painted.Values.contains(step), qPrintable(QString::number(step)));
    }
    QCOMPARE(FMessages,
             QStringList({Created(QString::fromStdString(FForm->OutputDir()) + "我的Show.run")}));
    QCOMPARE(progress->value(), 0);
    QVERIFY(!FForm->PanelPreviewRunning());
    QCOMPARE(FBrowser->Folders, std::vector<std::string>({FForm->OutputDir()}));
    QVERIFY(QApplication::overrideCursor() == nullptr);

    TInstallerReader reader(FForm->OutputDir() + "我的Show.run");
    // " 我的 Show " in GBK: the title as typed, blanks kept, in the trailer and in the record.
    const QByteArray title("\x20\xCE\xD2\xB5\xC4\x20Show\x20", 11);
    const TSaverSettings record = reader.Settings();
    QCOMPARE(QByteArray(reader.Trailer().Title, 12), title + '\0');
    QCOMPARE(QByteArray(record.Title, 12), title + '\0');
    QCOMPARE(reader.Ie().Size + reader.Ss().Size + reader.Ui().Size, int64_t{0});  // no stubs
    QCOMPARE(int{record.PictureCount}, 2);
    QCOMPARE(+record.IntervalSeconds, 5);
    QCOMPARE(int{record.SoundIncluded}, 1);
    QCOMPARE(QByteArray(record.SoundExt, 5), QByteArray(".wav\0", 5));
    QCOMPARE(reader.PictureCount(), 2);
    const QStringList pictures = {first, second};
    for (int k = 0; k < 2; ++k) {
        QFile picture(pictures[k]);
        QVERIFY(picture.open(QIODevice::ReadOnly));
        QCOMPARE(QByteArray::fromStdString(reader.PictureBytes(k)), picture.readAll());
    }
    QVERIFY(reader.HasSound());
    QCOMPARE(reader.SoundExt(), std::string(".wav"));
    QCOMPARE(reader.SoundBytes(), std::string(1000, 'w'));
}

void TMainWindowCreateTest::missingSoundFailsBuildAndClearsProgress() {
    Insert({Picture("p.bmp", 8, 8)});
    const QString missing = FDir->filePath("gone.mp3");
    FDialogs->Sounds.push_back(missing);
    Child<QToolButton>("btnSoundOpen")->click();
    TypeTitle(QStringLiteral("Show"));
    LeaveTitle();
    Child<QPushButton>("btnCreate")->click();

    QCOMPARE(
        FMessages,
        QStringList({"KAVRO|" + QStringLiteral("无法打开文件 %1\n%1：文件不存在").arg(missing)}));
    QCOMPARE(FForm->Settings().SoundIncluded, 0);
    QCOMPARE(FForm->Settings().PlaySound, 0);
    QCOMPARE(QByteArray(FForm->Settings().SoundExt, 5), QByteArray(".mp3\0", 5));
    QCOMPARE(Child<QProgressBar>("pbCreate")->value(), 0);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(FBrowser->Folders.empty());
    QVERIFY(!QFile::exists(QString::fromStdString(FForm->OutputDir()) + "Show.run"));
}

void TMainWindowCreateTest::chosenTargetPassesWithoutTitleAndOpensDefaultFolder() {
    Insert({Picture("p.bmp", 8, 8)});
    QVERIFY(QDir(FDir->path()).mkpath("elsewhere"));
    const QString chosen = FDir->filePath("elsewhere/mine.exe");
    FDialogs->Targets.push_back(chosen);
    Child<QToolButton>("btnCreateOpen")->click();
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages, QStringList({Created(chosen)}));
    QVERIFY(QFile::exists(chosen));
    QVERIFY(QDir(QString::fromStdString(FForm->OutputDir())).exists());
    QCOMPARE(FBrowser->Folders, std::vector<std::string>({FForm->OutputDir()}));
    // No title was given: the record holds the title edit's text as it stands.
    QCOMPARE(QByteArray(FForm->Settings().Title),
             QByteArray::fromStdString(Utf8ToGbk(TitlePlaceholder.toStdString())));
}

void TMainWindowCreateTest::successAlwaysNamesTheFile_data() {
    QTest::addColumn<bool>("fileManagerOpens");
    QTest::newRow("file manager opens") << true;
    QTest::newRow("no file manager") << false;
}

// A file manager that starts may still show nothing: the message names the file either way.
void TMainWindowCreateTest::successAlwaysNamesTheFile() {
    QFETCH(bool, fileManagerOpens);
    FBrowser->Opens = fileManagerOpens;
    Insert({Picture("p.bmp", 8, 8)});
    TypeTitle("Show");
    LeaveTitle();
    Child<QPushButton>("btnCreate")->click();
    const QString file = QString::fromStdString(FForm->OutputDir()) + "Show.run";
    QVERIFY(QFile::exists(file));
    QCOMPARE(FMessages, QStringList({"Kavro|已经成功的完成!\n" + file}));
}

void TMainWindowCreateTest::outputGoesBelowDocumentsWhenProgramFolderIsReadOnly_data() {
    QTest::addColumn<QStringList>("userDirs");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("below");
    const QStringList none;
    const QString dokumente = QStringLiteral("XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"");
    QTest::newRow("Documents, no dirs file") << none << QStringList({"Documents"}) << "Documents";
    QTest::newRow("named and there")
        << QStringList({dokumente}) << QStringList({"Dokumente", "Documents"}) << "Dokumente";
    QTest::newRow("named, not there")
        << QStringList({dokumente}) << QStringList({"Documents"}) << QString();
    QTest::newRow("fresh account") << none << none << QString();
}

void TMainWindowCreateTest::outputGoesBelowDocumentsWhenProgramFolderIsReadOnly() {
    QFETCH(QStringList, userDirs);
    QFETCH(QStringList, folders);
    QFETCH(QString, below);
    const TFakeHome home(userDirs);
    home.Make(folders);
    const QString readOnly = Folder("bin", {});
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
    // Root creates files whatever a folder's modes say; in /proc nobody can.
    Reopen(geteuid() == 0 ? QStringLiteral("/proc") : readOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString output = QDir(home.Path(below)).filePath("ScreenSavers") + "/";
    QCOMPARE(QString::fromStdString(FForm->OutputDir()), output);
    Insert({Picture("p.bmp", 8, 8)});
    TypeTitle("My Show");
    LeaveTitle();
    QCOMPARE(Child<QLineEdit>("edtCreate")->text(), output + "MyShow.run");
    Child<QToolButton>("btnCreateOpen")->click();  // cancelled
    QCOMPARE(FDialogs->Folders.last(), output);
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages, QStringList({Created(output + "MyShow.run")}));
    QVERIFY(QFile::exists(output + "MyShow.run"));
    QCOMPARE(FBrowser->Folders, std::vector<std::string>({output.toStdString()}));
}

void TMainWindowCreateTest::findsInstalledStubsBesideBin() {
    const QString bin = Folder("usr/bin", {});
    Folder("usr/lib/kavro", {});
    for (const auto& [name, bytes] : {std::pair{"ie.dat", "IE"}, std::pair{"ss.dat", "SSS"}}) {
        QFile stub(FDir->filePath(QStringLiteral("usr/lib/kavro/") + name));
        QVERIFY(stub.open(QIODevice::WriteOnly));
        stub.write(bytes);
    }
    auto build = [this, &bin] {
        Reopen(bin);
        Insert({Picture("p.bmp", 8, 8)});
        TypeTitle("s");
        LeaveTitle();
        Child<QPushButton>("btnCreate")->click();
        QFile file(bin + "/ScreenSavers/s.run");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QByteArray bytes = build();
    QVERIFY(bytes.startsWith("IESSS"));
    {
        const TInstallerReader reader((bin + "/ScreenSavers/s.run").toStdString());
        QCOMPARE(reader.Ss().Offset, 2);
        QCOMPARE(reader.Ss().Size, 3);
    }

    // A stub beside the program means that the program's own folder holds the stubs.
    QFile beside(bin + "/ie.dat");
    QVERIFY(beside.open(QIODevice::WriteOnly));
    beside.write("MINE");
    beside.close();
    bytes = build();
    QVERIFY(bytes.startsWith("MINE"));
    QCOMPARE(TInstallerReader((bin + "/ScreenSavers/s.run").toStdString()).Ss().Offset, 0);
}

// Names in GBK, as old archives hold them: a picture, a folder of pictures and a sound dropped by
// a file manager reach the installer; a target whose text lost bytes is refused, not written
// under another name.
void TMainWindowCreateTest::namesThatAreNotUtf8GoThroughUnchanged() {
    const QByteArray dir = QFile::encodeName(FDir->path());
    const QByteArray picture = dir + "/\xC4\xE3\xBA\xC3.bmp", folder = dir + "/\xD5\xD5\xC6\xAC",
                     sound = dir + "/\xB8\xE8.wav";
    QVERIFY(::rename(QFile::encodeName(Picture("a.bmp", 8, 8)), picture) == 0);
    QVERIFY(::mkdir(folder, 0700) == 0);
    QVERIFY(::rename(QFile::encodeName(Picture("b.bmp", 8, 8)), folder + "/\xB1\xB1.bmp") == 0);
    QVERIFY(QFile::copy(Picture("c.bmp", 8, 8), FDir->filePath("c.wav")));
    QVERIFY(::rename(QFile::encodeName(FDir->filePath("c.wav")), sound) == 0);
    const auto url = [](const QByteArray& path) {
        return QUrl::fromEncoded("file://" + path.toPercentEncoding("/"));
    };
    DropUrls(Child<QListWidget>("lstPicFiles")->viewport(), {url(picture), url(folder)});
    QCOMPARE(FForm->Pictures().Files(),
             std::vector<std::string>(
                 {picture.toStdString(), (folder + "/\xB1\xB1.bmp").toStdString()}));
    Child<QTabWidget>("Page")->setCurrentIndex(1);
    DropUrls(Child<QTabWidget>("Page")->widget(1), {url(sound)});
    TypeTitle("Old");
    LeaveTitle();
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages,
             QStringList({Created(QString::fromStdString(FForm->OutputDir()) + "Old.run")}));
    const TInstallerReader reader(FForm->OutputDir() + "Old.run");
    QCOMPARE(reader.PictureCount(), 2);
    QCOMPARE(int{reader.Settings().SoundIncluded}, 1);

    FMessages.clear();
    const QString lost = QFile::decodeName(dir + "/\xC4\xE3.run");
    Child<QLineEdit>("edtCreate")->setText(lost);
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages.size(), 1);
    QVERIFY2(FMessages[0].contains("无法识别的字符"), qPrintable(FMessages[0]));
    QVERIFY(!QFile::exists(lost));
}

void TMainWindowCreateTest::warnsOnceAboutCharactersGbkLacks_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("lost");
    // Which characters GBK lacks is the code page's test; here, what the user is told.
    QTest::newRow("copyright") << QStringLiteral("© 2026 王小明") << QStringLiteral("©");
    QTest::newRow("marks and emoji") << QStringLiteral("Kavro® Show™😀") << QStringLiteral("® ™ 😀");
    QTest::newRow("all held") << QStringLiteral("Café アニメ “一” …") << QString();
}

void TMainWindowCreateTest::warnsOnceAboutCharactersGbkLacks() {
    QFETCH(QString, title);
    QFETCH(QString, lost);
    const QString warning = "提示!|以下字符无法保存,会变成“?”:\n" + lost +
                            "\n请修改文字;如果不修改,再试一次就会按此保存.";
    Insert({Picture("p.bmp", 8, 8)});
    TypeTitle(title);
    LeaveTitle();
    QCOMPARE(FMessages, lost.isEmpty() ? QStringList() : QStringList({warning}));
    QCOMPARE(Child<QLineEdit>("edtTitle")->text(), title);
    FMessages.clear();
    LeaveTitle();
    Child<QPushButton>("btnCreate")->click();
    QCOMPARE(FMessages, QStringList({Created(Child<QLineEdit>("edtCreate")->text())}));
    QCOMPARE(QByteArray(FForm->Settings().Title),
             QByteArray::fromStdString(Utf8ToGbk(title.toStdString())));

    // Not told yet when create is pressed: create stops there once.
    Reopen(FDir->path());
    FMessages.clear();
    Insert({Picture("p.bmp", 8, 8)});
    FDialogs->Targets.push_back(FDir->filePath("t.exe"));
    Child<QToolButton>("btnCreateOpen")->click();
    TypeTitle(title);
    Child<QPushButton>("btnCreate")->click();
    if (!lost.isEmpty()) {
        QCOMPARE(FMessages, QStringList({warning}));
        QVERIFY(!QFile::exists(FDir->filePath("t.exe")));
        FMessages.clear();
        Child<QPushButton>("btnCreate")->click();
    }
    QCOMPARE(FMessages, QStringList({Created(FDir->filePath("t.exe"))}));
}

QTEST_MAIN(TMainWindowCreateTest)
#include "MainWindowCreateTest.moc"
