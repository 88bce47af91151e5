#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cstring>

#include "support/DialogDriver.h"
#include "ui/uDescription.h"

namespace {

TSaverDescription DefaultBlock() {
    static TSaverSettings settings;
    InitSaverSettings(settings);
    return settings.Description;
}

}  // namespace

class DescriptionDialogTest : public QObject {
    Q_OBJECT

private:
    TfrmDescription* dialog = nullptr;
    template <class T>
    T* Child(const char* name) {
        return dialog->findChild<T*>(name);
    }
    void ClickOk() { Child<QPushButton>("btnOK")->click(); }

private slots:
    void init() { dialog = new TfrmDescription; }
    void cleanup() { delete dialog; }

    void defaultsOpenEmpty() {
        bool checked = false;
        WhileOpen(dialog, [&] {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("描述信息"));
            QCOMPARE(dialog->size(), QSize(603, 298));
            QVERIFY(!Child<QCheckBox>("chkExists")->isChecked());
            QCOMPARE(Child<QPlainTextEdit>("Memo")->toPlainText(), QString());
            QCOMPARE(Child<QLineEdit>("edtA")->text(), QString());
            QCOMPARE(Child<QLineEdit>("edtB")->text(), QString());
            QCOMPARE(Child<QLineEdit>("edtC")->text(), QString());
            checked = true;
        });
        QVERIFY(!dialog->EditDescription(DefaultBlock()));
        QVERIFY(checked);
    }

    void okWithSwitchOnAndNoTexts() {
        TSaverDescription block = DefaultBlock();
        std::memcpy(block.CompanyName, "old", 4);
        WhileOpen(dialog, [&] {
            Child<QCheckBox>("chkExists")->setChecked(true);
            Child<QLineEdit>("edtB")->clear();
            ClickOk();
        });
        QVERIFY(dialog->EditDescription(block));
        dialog->WriteDescription(block);
        QCOMPARE(int(block.ShowDescription), 1);
        QCOMPARE(block.DescriptionText[0], '\0');
        QCOMPARE(block.WebAddress[0], '\0');
        QCOMPARE(block.CompanyName[0], '\0');
        QCOMPARE(block.RightsNotice[0], '\0');
    }

    void longDescriptionFillsItsFieldOnly() {
        TSaverDescription block = DefaultBlock();
        std::memcpy(block.WebAddress, "abc", 4);
        std::memset(block.WebAddress + 4, 0x55, sizeof block.WebAddress - 4);
        const QByteArray webBefore(block.WebAddress, sizeof block.WebAddress);
        QByteArray text;
        for (int i = 0; i < 3000; ++i) {
            text.append(char('0' + i % 10));
        }
        WhileOpen(dialog, [&] {
            Child<QPlainTextEdit>("Memo")->setPlainText(QString::fromLatin1(text));
            ClickOk();
        });
        QVERIFY(dialog->EditDescription(block));
        dialog->WriteDescription(block);
        QCOMPARE(QByteArray(block.DescriptionText, 2049), text.left(2049));
        QCOMPARE(QByteArray(block.WebAddress, sizeof block.WebAddress), webBefore);
    }

    void twoLinesAndChineseRoundTrip() {
        TSaverDescription block = DefaultBlock();
        WhileOpen(dialog, [&] {
            Child<QPlainTextEdit>("Memo")->setPlainText(QStringLiteral("第一行\n第二行"));
            Child<QLineEdit>("edtB")->setText(QStringLiteral("北京公司"));
            ClickOk();
        });
        QVERIFY(dialog->EditDescription(block));
        dialog->WriteDescription(block);
        const unsigned char company[] = {0xB1, 0xB1, 0xBE, 0xA9, 0xB9, 0xAB, 0xCB, 0xBE, 0x00};
        QCOMPARE(QByteArray(block.DescriptionText, 15), TwoLinesGbk);
        QVERIFY(std::memcmp(block.CompanyName, company, sizeof company) == 0);

        WhileOpen(dialog, [&] {
            QCOMPARE(Child<QPlainTextEdit>("Memo")->toPlainText(),
                     QStringLiteral("第一行\n第二行"));
            QCOMPARE(Child<QLineEdit>("edtB")->text(), QStringLiteral("北京公司"));
        });
        QVERIFY(!dialog->EditDescription(block));
    }

    void cancelledEditsDoNotSurvive() {
        const TSaverDescription block = DefaultBlock();
        WhileOpen(dialog, [&] {
            Child<QCheckBox>("chkExists")->setChecked(true);
            Child<QPlainTextEdit>("Memo")->setPlainText("typed");
            Child<QLineEdit>("edtC")->setText("typed");
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(!dialog->EditDescription(block));
        bool reset = false;
        WhileOpen(dialog, [&] {
            reset = !Child<QCheckBox>("chkExists")->isChecked() &&
                    Child<QPlainTextEdit>("Memo")->toPlainText().isEmpty() &&
                    Child<QLineEdit>("edtC")->text().isEmpty();
        });
        QVERIFY(!dialog->EditDescription(block));
        QVERIFY(reset);
    }
};

QTEST_MAIN(DescriptionDialogTest)
#include "uDescriptionTest.moc"
