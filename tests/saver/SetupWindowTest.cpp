// The installer window as a user meets it: what its message says after "安装为屏幕保护".
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "pack/InstallerReader.h"
#include "saver/SaverFixture.h"
#include "saver/uSetup.h"

class SetupWindowTest : public QObject {
    Q_OBJECT

private slots:
    void commandStandsOnALineOfItsOwnToBeCopied_data() {
        QTest::addColumn<bool>("hostInstalled");
        QTest::addColumn<QString>("command");
        // Without a running xscreensaver the idle watcher plays the show, at half of the five
        // minutes an unknown desktop is taken to wait.
        QTest::newRow("xscreensaver not running") << true << "闲置 2.5 分钟后开始放映。";
        QTest::newRow("xscreensaver missing") << false << "闲置 2.5 分钟后开始放映。";
    }
    void commandStandsOnALineOfItsOwnToBeCopied() {
        QFETCH(bool, hostInstalled);
        QFETCH(QString, command);
        QTemporaryDir dir;
        TInstallerReader reader;
        reader.Open(MakeShowFile(dir.path(), "海边", {Qt::red}));
        TInstallEnvironment env;
        env.Home = dir.filePath("home").toStdString();
        env.DataHome = dir.filePath("data").toStdString();
        QDir(dir.path()).mkdir("home");
        env.HostInstalled = [hostInstalled] { return hostInstalled; };
        env.HostRunning = [] { return false; };
        env.Runtime = dir.filePath("run").toStdString();
        env.Watch.StartNow = false;
        qputenv("XDG_CURRENT_DESKTOP", "");
        TfrmSetup window(reader, env, {});
        window.show();

        QString text;
        Qt::TextInteractionFlags flags;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                flags = box->textInteractionFlags();
                box->accept();
            }
        });
        watcher.start(10);
        window.findChild<QPushButton*>("btnInstall")->click();

        QVERIFY2(text.startsWith("已安装屏幕保护 “海边”"), qPrintable(text));
        QVERIFY2(text.split('\n').contains(command), qPrintable(text));
        QVERIFY(flags & Qt::TextSelectableByMouse);
    }
};

QTEST_MAIN(SetupWindowTest)
#include "SetupWindowTest.moc"
