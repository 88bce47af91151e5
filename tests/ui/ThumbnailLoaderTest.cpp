#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <stdexcept>

#include "support/FakeWorker.h"
#include "ui/ThumbnailLoader.h"

namespace {

// What reached the window's side: the thumbnails shown and the errors' messages.
struct TArrivals {
    QList<QRect> Places;
    QList<QSize> Sizes;
    QList<QRgb> Colors;  // the thumbnail's pixel at (1, 1)
    QStringList Errors;
};

std::unique_ptr<TThumbnailLoader> MakeLoader(TWorker* worker, TArrivals& arrivals) {
    return std::make_unique<TThumbnailLoader>(
        worker,
        [&arrivals](const TThumbnail& thumbnail) {
            arrivals.Places << thumbnail.Place;
            arrivals.Sizes << thumbnail.Image.size();
            arrivals.Colors << thumbnail.Image.pixel(1, 1);
        },
        [&arrivals](std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                arrivals.Errors << QString::fromStdString(e.what());
            }
        });
}

const QSize Area(181, 137);

}  // namespace

class TThumbnailLoaderTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void placesAndScales_data();
    void placesAndScales();
    void onlyTheLatestRequestArrives();
    void undecodablePictureArrivesAsAnError_data();
    void undecodablePictureArrivesAsAnError();
    void cancelAndUnreadableNamesMakeEarlierRequestsStale();
    void nothingArrivesOnceTheLoaderHasGone();

private:
    std::string Picture(const QString& name, QSize size, QRgb color);

    std::unique_ptr<QTemporaryDir> FDir;
    TFakeWorker FWorker;
    TArrivals FArrivals;
};

void TThumbnailLoaderTest::init() {
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    FWorker.Jobs.clear();
    FArrivals = {};
}

std::string TThumbnailLoaderTest::Picture(const QString& name, QSize size, QRgb color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = FDir->filePath(name);
    if (!image.save(path)) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path.toStdString();
}

void TThumbnailLoaderTest::placesAndScales_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("expected");
    QTest::addColumn<bool>("onWorker");
    // The window's tests place more shapes; here, both ways of decoding.
    QTest::newRow("wide, at once") << QSize(1600, 900) << QRect(0, 17, 181, 102) << false;
    QTest::newRow("tall, on the worker") << QSize(600, 800) << QRect(39, 0, 103, 137) << true;
}

void TThumbnailLoaderTest::placesAndScales() {
    QFETCH(QSize, picture);
    QFETCH(QRect, expected);
    QFETCH(bool, onWorker);
    auto loader = MakeLoader(onWorker ? &FWorker : nullptr, FArrivals);
    loader->Load(Picture("p.bmp", picture, qRgb(255, 0, 0)), Area);
    QCOMPARE(FWorker.Jobs.size(), size_t(onWorker ? 1 : 0));
    QCOMPARE(FArrivals.Places.isEmpty(), onWorker);
    FWorker.RunNext();
    QCOMPARE(FArrivals.Places, QList<QRect>({expected}));
    // The image is scaled to its place, not kept at the picture's size.
    QCOMPARE(FArrivals.Sizes, QList<QSize>({expected.size()}));
    QVERIFY(FArrivals.Errors.isEmpty());
}

void TThumbnailLoaderTest::onlyTheLatestRequestArrives() {
    auto loader = MakeLoader(&FWorker, FArrivals);
    loader->Load(Picture("red.bmp", QSize(40, 30), qRgb(255, 0, 0)), Area);
    loader->Load(Picture("blue.bmp", QSize(30, 40), qRgb(0, 0, 255)), Area);
    QCOMPARE(FWorker.Jobs.size(), size_t(2));
    QVERIFY(FWorker.RunNext());
    QVERIFY(FArrivals.Places.isEmpty());
    QVERIFY(FWorker.RunNext());
    QCOMPARE(FArrivals.Places, QList<QRect>({QRect(39, 0, 103, 137)}));
    QCOMPARE(FArrivals.Colors, QList<QRgb>({qRgb(0, 0, 255)}));
}

void TThumbnailLoaderTest::undecodablePictureArrivesAsAnError_data() {
    QTest::addColumn<bool>("onWorker");
    QTest::newRow("at once") << false;
    QTest::newRow("on the worker") << true;
}

void TThumbnailLoaderTest::undecodablePictureArrivesAsAnError() {
    QFETCH(bool, onWorker);
    QFile bad(FDir->filePath("bad.jpg"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    auto loader = MakeLoader(onWorker ? &FWorker : nullptr, FArrivals);
    loader->Load(bad.fileName().toStdString(), Area);
    QCOMPARE(FArrivals.Errors.size(), onWorker ? 0 : 1);
    FWorker.RunNext();
    QCOMPARE(FArrivals.Errors.size(), 1);
    QVERIFY2(FArrivals.Errors[0].contains(bad.fileName()), qPrintable(FArrivals.Errors[0]));
    QVERIFY(FArrivals.Places.isEmpty());
}

void TThumbnailLoaderTest::cancelAndUnreadableNamesMakeEarlierRequestsStale() {
    auto loader = MakeLoader(&FWorker, FArrivals);
    const std::string red = Picture("red.bmp", QSize(40, 30), qRgb(255, 0, 0));
    loader->Load(red, Area);
    loader->Cancel();
    QVERIFY(FWorker.RunNext());
    // Neither an empty name nor one that is no regular file starts a decode.
    for (const std::string& none :
         {std::string(), FDir->filePath("gone.bmp").toStdString(), FDir->path().toStdString()}) {
        loader->Load(red, Area);
        loader->Load(none, Area);
        QCOMPARE(FWorker.Jobs.size(), size_t(1));
        QVERIFY(FWorker.RunNext());
    }
    QVERIFY(FArrivals.Places.isEmpty());
    QVERIFY(FArrivals.Errors.isEmpty());
    loader->Load(red, Area);
    QVERIFY(FWorker.RunNext());
    QCOMPARE(FArrivals.Places.size(), 1);
}

void TThumbnailLoaderTest::nothingArrivesOnceTheLoaderHasGone() {
    auto loader = MakeLoader(&FWorker, FArrivals);
    loader->Load(Picture("red.bmp", QSize(40, 30), qRgb(255, 0, 0)), Area);
    loader.reset();
    QVERIFY(FWorker.RunNext());
    QVERIFY(FArrivals.Places.isEmpty());
    QVERIFY(FArrivals.Errors.isEmpty());
}

QTEST_MAIN(TThumbnailLoaderTest)
#include "ThumbnailLoaderTest.moc"
