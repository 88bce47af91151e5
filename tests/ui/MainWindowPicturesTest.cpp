// The first page: inserting, selecting, deleting and dropping pictures, their thumbnails and
// captions.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "support/FakeHome.h"
#include "support/FakeWorker.h"
#include "support/WhenModal.h"
#include "ui/MainWindowFixture.h"
#include "ui/uText.h"

class TMainWindowPicturesTest : public QObject, protected TMainWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("KAVRO")); }
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void insertOpensInThePicturesFolderThenWhereTheUserChose_data();
    void insertOpensInThePicturesFolderThenWhereTheUserChose();
    void insertKeepsTheNewest255AndSelectsFirst();
    void insertWhileEntry7IsSelectedSelectsFirst();
    void placesThumbnail_data();
    void placesThumbnail();
    void previewBoxHidesAndShowsThumbnail();
    void undecodablePictureReportsAndKeepsThumbnail();
    void thumbnailsDecodeOnTheWorker();
    void keyboardSelectionShowsThumbnail();
    void dragSelectionShowsThumbnail();
    void deletingOnlyEntryDisablesAtIdle();
    void deletingMiddleKeepsIndexAndThumbnail();
    void deletingLastSelectsNewLast();
    void captionSlotStaysWithThePosition();
    void captionNeedsASelection();
    void dropsPicturesAndFolders_data();
    void dropsPicturesAndFolders();
};

void TMainWindowPicturesTest::insertOpensInThePicturesFolderThenWhereTheUserChose_data() {
    QTest::addColumn<QStringList>("userDirs");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("start");
    const QStringList none;
    const QString bilder = QStringLiteral("XDG_PICTURES_DIR=\"$HOME/Bilder\"");
    QTest::newRow("named and there")
        << QStringList({bilder}) << QStringList({"Bilder"}) << "Bilder";
    QTest::newRow("named, not there")
        << QStringList({bilder}) << QStringList({"Pictures"}) << QString();
    QTest::newRow("the home folder named")
        << QStringList({"XDG_PICTURES_DIR=\"$HOME/\""}) << QStringList({"Pictures"}) << QString();
    QTest::newRow("no dirs file, Pictures there")
        << none << QStringList({"Pictures"}) << "Pictures";
    QTest::newRow("fresh account") << none << none << QString();
}

// Never the program's folder, which is /usr/bin once installed.
void TMainWindowPicturesTest::insertOpensInThePicturesFolderThenWhereTheUserChose() {
    QFETCH(QStringList, userDirs);
    QFETCH(QStringList, folders);
    QFETCH(QString, start);
    const TFakeHome home(userDirs);
    home.Make(folders);
    Child<QPushButton>("btnPicInsert")->click();  // cancelled
    const QString holiday = Folder("holiday", {});
    Insert({Picture("holiday/a.bmp", 8, 8), Picture("holiday/b.bmp", 8, 8)});
    Child<QPushButton>("btnPicInsert")->click();
    QCOMPARE(FDialogs->Folders, QStringList({home.Path(start), home.Path(start), holiday}));
    // Pictures dropped elsewhere leave the dialog's folder as it was.
    Drop(Child<QWidget>("pnlPicBack"), {Picture("c.bmp", 8, 8)});
    Child<QPushButton>("btnPicInsert")->click();
    QCOMPARE(FDialogs->Folders.last(), holiday);
    QCOMPARE(Child<QListWidget>("lstPicFiles")->count(), 3);
}

void TMainWindowPicturesTest::insertKeepsTheNewest255AndSelectsFirst() {
    QStringList files = Names("p", 300);
    files[45] = Picture("first.bmp", 1600, 900);
    Insert(files);
    auto* list = Child<QListWidget>("lstPicFiles");
    QCOMPARE(list->count(), 255);
    QCOMPARE(list->item(0)->text(), files[45]);
    QCOMPARE(list->item(254)->text(), files[299]);
    QCOMPARE(list->currentRow(), 0);
    auto* thumbnail = Child<QLabel>("imgPic");
    QVERIFY(thumbnail->isVisible());
    QCOMPARE(thumbnail->geometry(), QRect(0, 17, 181, 102));
}

void TMainWindowPicturesTest::insertWhileEntry7IsSelectedSelectsFirst() {
    FDialogs->Pictures.push_back(Names("a", 10));
    FDialogs->Pictures.push_back(Names("b", 2));
    auto* insert = Child<QPushButton>("btnPicInsert");
    insert->click();
    auto* list = Child<QListWidget>("lstPicFiles");
    list->setCurrentRow(7);
    QCOMPARE(FForm->Pictures().Selected(), 7);
    insert->click();
    QCOMPARE(list->count(), 12);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(FForm->Pictures().Selected(), 0);
    insert->click();  // cancelled: nothing changes
    QCOMPARE(list->count(), 12);
}

void TMainWindowPicturesTest::placesThumbnail_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("1600x900") << QSize(1600, 900) << QRect(0, 17, 181, 102);
    QTest::newRow("600x800") << QSize(600, 800) << QRect(39, 0, 103, 137);
    QTest::newRow("362x274") << QSize(362, 274) << QRect(0, 0, 181, 137);
}

void TMainWindowPicturesTest::placesThumbnail() {
    QFETCH(QSize, picture);
    QFETCH(QRect, expected);
    Insert({Picture("p.jpg", picture.width(), picture.height())});
    auto* thumbnail = Child<QLabel>("imgPic");
    QCOMPARE(thumbnail->geometry(), expected);
    QVERIFY(thumbnail->isVisible());
    QCOMPARE(thumbnail->pixmap().size(), expected.size());
}

void TMainWindowPicturesTest::previewBoxHidesAndShowsThumbnail() {
    InsertRedAndBlue();
    auto* box = Child<QCheckBox>("chkPicPreview");
    auto* thumbnail = Child<QLabel>("imgPic");
    box->click();
    QVERIFY(!thumbnail->isVisible());
    auto* list = Child<QListWidget>("lstPicFiles");
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(!thumbnail->isVisible());
    box->click();
    QVERIFY(thumbnail->isVisible());
    QCOMPARE(thumbnail->pixmap().toImage().pixel(5, 5), qRgb(0, 0, 255));
    QCOMPARE(thumbnail->geometry(), QRect(39, 0, 103, 137));
}

void TMainWindowPicturesTest::undecodablePictureReportsAndKeepsThumbnail() {
    const QString good = Picture("good.bmp", 30, 40);
    QFile bad(FDir->filePath("bad.jpg"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    Insert({good, bad.fileName()});
    auto* thumbnail = Child<QLabel>("imgPic");
    QCOMPARE(thumbnail->geometry(), QRect(39, 0, 103, 137));
    auto* list = Child<QListWidget>("lstPicFiles");
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QCOMPARE(FMessages.size(), 1);
    QVERIFY(FMessages[0].startsWith("KAVRO|"));
    QVERIFY(FMessages[0].contains(bad.fileName()));
    QCOMPARE(thumbnail->geometry(), QRect(39, 0, 103, 137));
    QCOMPARE(thumbnail->pixmap().size(), QSize(103, 137));
}

// With a worker the window answers while a thumbnail decodes; only the latest selection is
// shown, a failure is reported when its decode ends, and nothing arrives once the window is gone.
void TMainWindowPicturesTest::thumbnailsDecodeOnTheWorker() {
    TFakeWorker worker;
    Reopen(Services({}, nullptr, &worker));
    InsertRedAndBlue();
    auto* thumbnail = Child<QLabel>("imgPic");
    QVERIFY(!thumbnail->isVisible());
    QTest::keyClick(Child<QListWidget>("lstPicFiles"), Qt::Key_Down);
    QCOMPARE(worker.Jobs.size(), size_t(2));
    QVERIFY(worker.RunNext());
    QVERIFY(!thumbnail->isVisible());
    QVERIFY(worker.RunNext());
    QVERIFY(thumbnail->isVisible());
    QCOMPARE(thumbnail->geometry(), QRect(39, 0, 103, 137));
    QCOMPARE(thumbnail->pixmap().toImage().pixel(5, 5), qRgb(0, 0, 255));

    QFile::remove(FDir->filePath("red.bmp"));
    QFile bad(FDir->filePath("red.bmp"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    QTest::keyClick(Child<QListWidget>("lstPicFiles"), Qt::Key_Up);
    QVERIFY(FMessages.isEmpty());
    QVERIFY(worker.RunNext());
    QCOMPARE(FMessages.size(), 1);
    QVERIFY(FMessages[0].contains("red.bmp"));
    QCOMPARE(thumbnail->pixmap().toImage().pixel(5, 5), qRgb(0, 0, 255));

    QTest::keyClick(Child<QListWidget>("lstPicFiles"), Qt::Key_Down);
    FForm.reset();
    QVERIFY(worker.RunNext());
    QCOMPARE(FMessages.size(), 1);
}

void TMainWindowPicturesTest::keyboardSelectionShowsThumbnail() {
    InsertRedAndBlue();
    auto* list = Child<QListWidget>("lstPicFiles");
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(FForm->Pictures().Selected(), 1);
    QCOMPARE(Child<QLabel>("imgPic")->pixmap().toImage().pixel(5, 5), qRgb(0, 0, 255));
}

void TMainWindowPicturesTest::dragSelectionShowsThumbnail() {
    InsertRedAndBlue();
    auto* list = Child<QListWidget>("lstPicFiles");
    auto at = [this, list](int row) {
        return list->viewport()->mapTo(FForm.get(), list->visualItemRect(list->item(row)).center());
    };
    // Through the window, so that the application knows the button is held.
    QWindow* window = FForm->windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, at(0));
    QTest::mouseMove(window, at(1));
    QTest::mouseRelease(window, Qt::LeftButton, {}, at(1));
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(FForm->Pictures().Selected(), 1);
    auto* thumbnail = Child<QLabel>("imgPic");
    QCOMPARE(thumbnail->geometry(), QRect(39, 0, 103, 137));
    QCOMPARE(thumbnail->pixmap().toImage().pixel(5, 5), qRgb(0, 0, 255));
    // Only the left button selects: the thumbnail keeps showing the selected entry.
    QTest::mouseClick(
        list->viewport(), Qt::RightButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(FForm->Pictures().Selected(), 1);
}

void TMainWindowPicturesTest::deletingOnlyEntryDisablesAtIdle() {
    Insert({Picture("only.bmp", 20, 10)});
    Idle();
    auto* remove = Child<QPushButton>("btnPicDelete");
    QVERIFY(remove->isEnabled());
    QVERIFY(Child<QCheckBox>("chkPicPreview")->isEnabled());
    remove->click();
    QCOMPARE(Child<QListWidget>("lstPicFiles")->count(), 0);
    QCOMPARE(Child<QListWidget>("lstPicFiles")->currentRow(), -1);
    QVERIFY(Child<QLabel>("imgPic")->isVisible());  // until the next idle moment
    Idle();
    QVERIFY(!remove->isEnabled());
    QVERIFY(!Child<QCheckBox>("chkPicPreview")->isEnabled());
    QVERIFY(!Child<QLabel>("imgPic")->isVisible());
}

void TMainWindowPicturesTest::deletingMiddleKeepsIndexAndThumbnail() {
    QStringList files;
    for (int i = 0; i < 5; ++i) {
        files << Picture(QStringLiteral("p%1.bmp").arg(i), 20 + 10 * i, 20, qRgb(50 * i, 0, 0));
    }
    Insert(files);
    auto* list = Child<QListWidget>("lstPicFiles");
    list->setCurrentRow(2);
    auto* thumbnail = Child<QLabel>("imgPic");
    QCOMPARE(thumbnail->geometry(), QRect(0, 23, 181, 90));  // 40 x 20: 90.5 rounds to 90
    Child<QPushButton>("btnPicDelete")->click();
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(list->item(2)->text(), files[3]);
    QCOMPARE(thumbnail->geometry(), QRect(0, 23, 181, 90));  // still the deleted picture
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    QCOMPARE(thumbnail->geometry(), QRect(0, 32, 181, 72));  // 50 x 20
}

void TMainWindowPicturesTest::deletingLastSelectsNewLast() {
    Insert(Names("p", 3));
    auto* list = Child<QListWidget>("lstPicFiles");
    list->setCurrentRow(2);
    Child<QPushButton>("btnPicDelete")->click();
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(FForm->Pictures().Selected(), 1);
}

void TMainWindowPicturesTest::captionSlotStaysWithThePosition() {
    Insert(Names("p", 5));
    auto* list = Child<QListWidget>("lstPicFiles");
    list->setCurrentRow(2);
    WhenModal<TfrmText>([](TfrmText* dialog) {
        dialog->findChild<QPlainTextEdit*>("moText")->setPlainText(QStringLiteral("第三张"));
        dialog->findChild<QPushButton*>("btnOK")->click();
    });
    Child<QPushButton>("btnPicText")->click();
    const char gbk[] = "\xB5\xDA\xC8\xFD\xD5\xC5";  // 第三张
    QCOMPARE(QByteArray(FForm->Settings().PictureTexts[2].Text), QByteArray(gbk));
    QCOMPARE(FForm->Settings().PictureTexts[3].Text[0], '\0');
    Child<QPushButton>("btnPicDelete")->click();
    // The picture that moved up to position 2 now carries that caption.
    QCOMPARE(list->item(2)->text(), FDir->filePath("p3.jpg"));
    QCOMPARE(QByteArray(FForm->Settings().PictureTexts[2].Text), QByteArray(gbk));

    WhenModal<TfrmText>([](TfrmText* dialog) {
        dialog->findChild<QPlainTextEdit*>("moText")->setPlainText(QStringLiteral("changed"));
        dialog->reject();
    });
    Child<QPushButton>("btnPicText")->click();
    QCOMPARE(QByteArray(FForm->Settings().PictureTexts[2].Text), QByteArray(gbk));
}

void TMainWindowPicturesTest::captionNeedsASelection() {
    const TSaverSettings before = FForm->Settings();
    bool opened = false;
    QTimer* watcher = WhenModal<TfrmText>([&opened](TfrmText* dialog) {
        opened = true;
        dialog->reject();
    });
    Child<QPushButton>("btnPicText")->click();
    QCoreApplication::processEvents();
    delete watcher;
    QVERIFY(!opened);
    QVERIFY(std::memcmp(&before, &FForm->Settings(), sizeof before) == 0);
}

void TMainWindowPicturesTest::dropsPicturesAndFolders_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("list") << "lstPicFiles";
    QTest::newRow("thumbnail") << "pnlPicBack";
}

void TMainWindowPicturesTest::dropsPicturesAndFolders() {
    QFETCH(QString, target);
    const QString old = Picture("old.bmp", 40, 30);
    Insert({old});
    auto* list = Child<QListWidget>("lstPicFiles");
    QWidget* place = target == "lstPicFiles" ? list->viewport() : Child<QWidget>("pnlPicBack");
    const QString folder = Folder("holiday", {"b.jpg", "notes.txt", "a.BMP"});
    Folder("holiday/inner", {"c.jpg"});
    const QString red = Picture("red.jpeg", 8, 8);
    Drop(place,
         {red,
          folder,
          FDir->filePath("tune.mp3"),
          FDir->filePath("readme.txt"),
          FDir->path() + "/x"});

    QStringList shown;
    for (int i = 0; i < list->count(); ++i) {
        shown << list->item(i)->text();
    }
    QCOMPARE(shown, QStringList({old, red, folder + "/a.BMP", folder + "/b.jpg"}));
    QCOMPARE(list->currentRow(), 0);
    // Entry 0, 40 × 30, in the 181 × 137 area: 181 × round(181 × 30 / 40) = 136.
    QVERIFY(Child<QLabel>("imgPic")->isVisible());
    QCOMPARE(Child<QLabel>("imgPic")->geometry(), QRect(0, 0, 181, 136));
    QCOMPARE(FMessages,
             QStringList({"提示!|这些文件不能放在这里,已忽略:\ntune.mp3\nreadme.txt\nx"}));
}

QTEST_MAIN(TMainWindowPicturesTest)
#include "MainWindowPicturesTest.moc"
