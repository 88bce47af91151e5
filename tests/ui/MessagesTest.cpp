#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <stdexcept>

#include "support/DialogDriver.h"

class MessagesTest : public QObject {
    Q_OBJECT

private slots:
    void refusalIsAModalBoxWithOneButton() {
        QDialog owner;
        QString caption, text;
        int buttons = 0;
        WhileOpen(&owner, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            caption = box->windowTitle();
            text = box->text();
            buttons = box->buttons().size();
            box->accept();
        });
        ShowRefusal(nullptr, QStringLiteral("你还没输入标题吧!"));
        QCOMPARE(caption, QStringLiteral("提示!"));
        QCOMPARE(text, QStringLiteral("你还没输入标题吧!"));
        QCOMPARE(buttons, 1);
    }

    void guardedShowsTheErrorUnderTheApplicationTitle() {
        QApplication::setApplicationName("KAVRO");
        TMessageRecorder messages;
        bool after = false;
        Guarded(nullptr, [] { throw std::runtime_error("无法打开文件"); });
        Guarded(nullptr, [] { throw 42; });
        Guarded(nullptr, [&] { after = true; });
        QVERIFY(after);
        QCOMPARE(messages.Captions, QStringList({"KAVRO", "KAVRO"}));
        QCOMPARE(messages.Texts.value(0), QStringLiteral("无法打开文件"));
        ShowMessage(nullptr, QStringLiteral("已经成功的完成!"), QStringLiteral("Kavro"));
        QCOMPARE(messages.Captions.value(2), QStringLiteral("Kavro"));
    }
};

QTEST_MAIN(MessagesTest)
#include "MessagesTest.moc"
