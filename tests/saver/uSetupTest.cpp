// The installer window: what it says it found, when the show will start, and what installing
// with the chosen delay, keep-on time and compositor line leaves behind.
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include "pack/InstallerReader.h"
#include "saver/SaverFixture.h"
#include "saver/uSetup.h"
#include "support/WhenModal.h"

class SetupWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir Dir;
    TInstallerReader Reader;

    TInstallEnvironment Environment() {
        TInstallEnvironment env;
        env.Home = (Dir.path() + "/home").toStdString();
        env.DataHome = env.Home / ".local/share";
        env.ConfigHome = env.Home / ".config";
        env.Runtime = (Dir.path() + "/run").toStdString();
        env.HostInstalled = [] { return false; };
        env.HostRunning = [] { return false; };
        env.Watch.StartNow = false;
        return env;
    }
    QString Label(TfrmSetup& window, const char* name) {
        return window.findChild<QLabel*>(name)->text();
    }
    // Clicks the button and answers the message boxes that come, one answer each, in order;
    // Seen says which boxes came.
    void Click(TfrmSetup& window,
               const char* button,
               const std::vector<QMessageBox::StandardButton>& answers) {
        Seen.clear();
        size_t next = 0;
        std::function<void(QMessageBox*)> reply = [&](QMessageBox* box) {
            Seen << box->objectName();
            const QMessageBox::StandardButton answer = answers[next++];
            QTimer::singleShot(0, box, [box, answer] { box->button(answer)->click(); });
            if (next < answers.size()) {
                WhenModal<QMessageBox>(reply);
            }
        };
        QTimer* watch = WhenModal<QMessageBox>(reply);
        window.findChild<QPushButton*>(button)->click();
        if (next == 0) {
            delete watch;
        }
    }
    QStringList Seen;
    TWatcherState State(const TInstallEnvironment& env) {
        return TAutostartEntry(env.DataHome, env.ConfigHome, env.Runtime).State();
    }

private slots:
    void initTestCase() {
        qputenv("XDG_CURRENT_DESKTOP", "");
        QVERIFY(Dir.isValid());
        Reader.Open(MakeShowFile(Dir.path(), "海边", {Qt::red}));
    }

    void saysWhatItFoundAndWhen() {
        TfrmSetup window(Reader, Environment(), [] { return std::string(); });
        QVERIFY(Label(window, "lblHost").contains("桌面：未知"));
        QVERIFY(Label(window, "lblHost").contains("Kavro 闲置监视程序"));
        // Half of the five minutes an unknown desktop is taken to wait.
        QCOMPARE(Label(window, "lblDelay"), QStringLiteral("闲置 2.5 分钟后开始放映"));
        window.findChild<QDoubleSpinBox*>("udDelay")->setValue(4);
        QCOMPARE(Label(window, "lblDelay"), QStringLiteral("闲置 4 分钟后开始放映"));
    }

    void installsWithTheChosenDelayAndKeepOn_data() {
        QTest::addColumn<double>("minutes");  // 0: left alone
        QTest::addColumn<bool>("keepOn");
        QTest::addColumn<int>("idleAfter");  // what the state keeps; 0: none
        QTest::addColumn<int>("keptOn");
        QTest::newRow("defaults") << 0.0 << false << 0 << 0;
        QTest::newRow("four minutes") << 4.0 << false << 240 << 0;
        QTest::newRow("half a minute, kept on") << 0.5 << true << 30 << 20;
    }
    void installsWithTheChosenDelayAndKeepOn() {
        QFETCH(double, minutes);
        QFETCH(bool, keepOn);
        QFETCH(int, idleAfter);
        QFETCH(int, keptOn);
        const TInstallEnvironment env = Environment();
        TfrmSetup window(Reader, env, [] { return std::string(); });
        if (minutes > 0) {
            window.findChild<QDoubleSpinBox*>("udDelay")->setValue(minutes);
        }
        window.findChild<QCheckBox*>("chkKeepOn")->setChecked(keepOn);
        window.findChild<QSpinBox*>("udKeepOn")->setValue(20);
        Click(window, "btnInstall", {QMessageBox::Ok});
        QCOMPARE(Seen, QStringList{"msgOutcome"});
        const TWatcherState state = State(env);
        QCOMPARE(state.Shows.size(), size_t(1));
        QCOMPARE(state.IdleAfterSeconds.value_or(0), idleAfter);
        QCOMPARE(state.KeepScreenOnMinutes, keptOn);
        Click(window, "btnUninstall", {QMessageBox::Ok});
        QVERIFY(State(env).Shows.empty());
        QVERIFY(!QFile::exists(Dir.path() + "/home/.config"));
    }

    // sway reads no autostart entries: the line goes into its configuration only when the user
    // says yes, and leaves with the last show.
    void offersTheSwayLine_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void offersTheSwayLine() {
        QFETCH(bool, yes);
        qputenv("XDG_CURRENT_DESKTOP", "sway");
        const TInstallEnvironment env = Environment();
        const QString config = Dir.path() + "/home/.config/sway/config";
        TfrmSetup window(Reader, env, [] { return std::string(); });
        QVERIFY(Label(window, "lblHost").contains("桌面：sway"));
        Click(window, "btnInstall", {QMessageBox::Ok, yes ? QMessageBox::Yes : QMessageBox::No});
        QCOMPARE(Seen, (QStringList{"msgOutcome", "msgCompositor"}));
        QCOMPARE(QFile::exists(config), yes);
        if (yes) {
            QFile file(config);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().contains(
                ("exec \"" + env.DataHome.string() + "/kavro/kavro-saver\" --watch\n").c_str()));
        }
        Click(window, "btnUninstall", {QMessageBox::Ok});
        QVERIFY(!QFile::exists(config));
        QVERIFY(!QFile::exists(Dir.path() + "/home/.config"));
        qputenv("XDG_CURRENT_DESKTOP", "");
    }
};

QTEST_MAIN(SetupWindowTest)
#include "uSetupTest.moc"
