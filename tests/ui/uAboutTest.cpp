#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "support/DialogDriver.h"
#include "ui/uAbout.h"

class AboutWindowTest : public QObject {
    Q_OBJECT

private slots:
    void aboutClosesThroughExitAndEscape() {
        TfrmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("关于 Kavro"));
        QCOMPARE(about.size(), QSize(364, 135));
        auto* label = about.findChild<QLabel*>("Label1");
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Kavro - 世界上最棒的屏保制作程序"));
        QCOMPARE(QFontInfo(label->font()).pixelSize(), 13);
        QVERIFY(label->font().bold());
        QCOMPARE(about.grab().toImage().pixelColor(2, 130), QColor(253, 230, 168));

        WhileOpen(&about, [&] { about.findChild<QPushButton*>("btnExit")->click(); });
        QCOMPARE(about.exec(), int(QDialog::Rejected));
        bool open = false;
        WhileOpen(&about, [&] {
            open = about.isVisible();
            QTest::keyClick(&about, Qt::Key_Escape);
            open = open && !about.isVisible();
        });
        about.exec();
        QVERIFY(open);
    }
};

QTEST_MAIN(AboutWindowTest)
#include "uAboutTest.moc"
