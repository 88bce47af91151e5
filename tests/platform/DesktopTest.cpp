#include <QDBusConnection>
#include <QMutex>
#include <QProcess>
#include <QTest>
#include <QThread>

#include "platform/SessionSaverFlag.h"

namespace {

// Stands in for the desktop's screen saver on a private session bus, answering from its own
// thread while the test's thread waits in a blocking call.
class TFakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        QMutexLocker lock(&Mutex);
        Calls << QStringLiteral("Inhibit %1 %2").arg(application, reason);
        return ++LastCookie;
    }
    void UnInhibit(uint cookie) {
        QMutexLocker lock(&Mutex);
        Calls << QStringLiteral("UnInhibit %1").arg(cookie);
    }

public:
    QStringList TakeCalls() {
        QMutexLocker lock(&Mutex);
        return std::exchange(Calls, {});
    }

private:
    QMutex Mutex;
    QStringList Calls;
    uint LastCookie = 40;
};

}  // namespace

class TDesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void keepsFlagWithoutService();
    void inhibitsWhileSet();
    void releasesInhibitionOnDestruction();

private:
    QProcess FBus;
    QThread FServiceThread;
    TFakeScreenSaver* FService = nullptr;
};

void TDesktopTest::initTestCase() {
    FBus.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"),
                QStringLiteral("--nofork"),
                QStringLiteral("--print-address=1")});
    if (!FBus.waitForStarted() || !FBus.waitForReadyRead(10000)) {
        QSKIP("dbus-daemon is not available");
    }
    const QByteArray address = FBus.readLine().trimmed();
    // Before the first use of the session bus, which reads the address once.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QVERIFY(QDBusConnection::sessionBus().isConnected());
}

void TDesktopTest::cleanupTestCase() {
    FServiceThread.quit();
    FServiceThread.wait();
    delete FService;
    FBus.kill();
    FBus.waitForFinished();
}

void TDesktopTest::keepsFlagWithoutService() {
    TSessionSaverFlag flag;
    QCOMPARE(flag.SetRunning(true), 0u);
    QCOMPARE(flag.Cookie(), 0u);
    QCOMPARE(flag.SetRunning(true), 1u);
    QCOMPARE(flag.SetRunning(false), 1u);
    QCOMPARE(flag.SetRunning(false), 0u);
}

void TDesktopTest::inhibitsWhileSet() {
    FService = new TFakeScreenSaver;
    FService->moveToThread(&FServiceThread);
    FServiceThread.start();
    QDBusConnection serviceBus = QDBusConnection::connectToBus(
        qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("service"));
    QVERIFY(serviceBus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    QVERIFY(serviceBus.registerObject(
        QStringLiteral("/org/freedesktop/ScreenSaver"), FService, QDBusConnection::ExportAllSlots));

    TSessionSaverFlag flag;
    QCOMPARE(flag.SetRunning(true), 0u);
    QCOMPARE(flag.Cookie(), 41u);
    QCOMPARE(flag.SetRunning(true), 1u);  // one inhibition, however often the flag is set
    QCOMPARE(flag.SetRunning(false), 1u);
    QCOMPARE(flag.Cookie(), 0u);
    QCOMPARE(flag.SetRunning(false), 0u);
    QCOMPARE(FService->TakeCalls(),
             QStringList({"Inhibit Kavro Screensaver preview", "UnInhibit 41"}));
}

void TDesktopTest::releasesInhibitionOnDestruction() {
    QVERIFY(FService != nullptr);
    {
        TSessionSaverFlag flag;
        flag.SetRunning(true);
    }
    QCOMPARE(FService->TakeCalls(),
             QStringList({"Inhibit Kavro Screensaver preview", "UnInhibit 42"}));
}

QTEST_MAIN(TDesktopTest)
#include "DesktopTest.moc"
