#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTranslator>
#include <cstring>

#include "support/DialogDriver.h"
#include "ui/uText.h"

namespace {

TSaverPictureText DefaultSlot() {
    static TSaverSettings settings;
    InitSaverSettings(settings);
    return settings.PictureTexts[0];
}

bool SameBytes(const TSaverPictureText& a, const TSaverPictureText& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

class TextDialogTest : public QObject {
    Q_OBJECT

private:
    TfrmText* dialog = nullptr;
    // Edits the slot as the main window does: written back only on OK.
    bool Edit(TSaverPictureText& slot) {
        const bool confirmed = dialog->EditPictureText(slot);
        if (confirmed) {
            dialog->WritePictureText(slot);
        }
        return confirmed;
    }
    template <class T>
    T* Child(const char* name) {
        return dialog->findChild<T*>(name);
    }
    // Clicks the font button; the font dialog then picks font and, when given, a colour through
    // its colour button, and closes with OK or cancel.
    void ChooseFont(const QFont& font, const QColor& color = QColor(), bool confirm = true) {
        QTimer::singleShot(0, dialog, [font, color, confirm] {
            auto* fontDialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
            QVERIFY(fontDialog);
            fontDialog->setCurrentFont(font);
            if (color.isValid()) {
                QTimer::singleShot(0, fontDialog, [color] {
                    auto* colorDialog =
                        qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
                    QVERIFY(colorDialog);
                    colorDialog->setCurrentColor(color);
                    colorDialog->accept();
                });
                auto* colorButton = fontDialog->findChild<QPushButton*>("btnFontColor");
                QVERIFY(colorButton);
                colorButton->click();
            }
            if (confirm) {
                fontDialog->accept();
            } else {
                fontDialog->reject();
            }
        });
        Child<QPushButton>("btnTextFont")->click();
    }

private slots:
    void init() { dialog = new TfrmText; }
    void cleanup() { delete dialog; }

    void defaultsOpenAsANewSlot() {
        TSaverPictureText slot = DefaultSlot();
        bool checked = false;
        WhileOpen(dialog, [&] {
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->windowTitle(), QStringLiteral("图片上的文本"));
            QCOMPARE(Child<QPlainTextEdit>("moText")->toPlainText(), QString());
            auto* pos = Child<QComboBox>("cboTextPos");
            QCOMPARE(pos->count(), 7);
            QCOMPARE(pos->currentIndex(), 1);
            QCOMPARE(pos->currentText(), QStringLiteral("顶部中央"));
            QCOMPARE(pos->itemText(6), QStringLiteral("用户自定义"));
            QCOMPARE(Child<QLineEdit>("edtTextLeft")->text(), QStringLiteral("0"));
            QCOMPARE(Child<QLineEdit>("edtTextTop")->text(), QStringLiteral("0"));
            QCOMPARE(dialog->ChosenFont(), (TFont{"MS Sans Serif", 10, 0, 65280}));
            QCOMPARE(QFontInfo(dialog->font()).pixelSize(), 12);
            QVERIFY(Child<QPushButton>("btnOK")->isDefault());
            QCOMPARE(Child<QPushButton>("btnOK")->text(), QStringLiteral("确定(&O)"));
            QCOMPARE(Child<QPushButton>("BitBtn2")->text(), QStringLiteral("取消(&C)"));
            checked = true;
        });
        Edit(slot);
        QVERIFY(checked);
    }

    void cancelLeavesTheSlot_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel button") << "button";
        QTest::newRow("escape") << "escape";
        QTest::newRow("close box") << "close";
    }
    void cancelLeavesTheSlot() {
        QFETCH(QString, how);
        TSaverPictureText slot = DefaultSlot();
        const TSaverPictureText before = slot;
        WhileOpen(dialog, [&] {
            Child<QPlainTextEdit>("moText")->setPlainText("changed");
            Child<QComboBox>("cboTextPos")->setCurrentIndex(5);
            Child<QLineEdit>("edtTextLeft")->setText("17");
            ChooseFont(QFont("Liberation Serif", 20, QFont::Bold));
            QCOMPARE(dialog->ChosenFont().Size, 20);
            if (how == "button") {
                Child<QPushButton>("BitBtn2")->click();
            } else if (how == "escape") {
                QTest::keyClick(dialog, Qt::Key_Escape);
            } else {
                dialog->close();
            }
            QVERIFY(!dialog->isVisible());
        });
        QVERIFY(!Edit(slot));
        QVERIFY(SameBytes(slot, before));

        // The font dialog's choice does not outlive the cancel.
        WhileOpen(dialog, [&] {
            QCOMPARE(dialog->ChosenFont(), (TFont{"MS Sans Serif", 10, 0, 65280}));
        });
        Edit(slot);
        QVERIFY(SameBytes(slot, before));
    }

    void positionEditsKeepLow16Bits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored");
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("digits then letters") << "12ab" << 0;
        QTest::newRow("plain") << "640" << 640;
        QTest::newRow("largest") << "65535" << 65535;
        QTest::newRow("wraps to 0") << "65536" << 0;
        QTest::newRow("70000") << "70000" << 4464;
        QTest::newRow("minus one") << "-1" << 65535;
        QTest::newRow("beyond int32") << "4294967296" << 0;
    }
    void positionEditsKeepLow16Bits() {
        QFETCH(QString, text);
        QFETCH(int, stored);
        TSaverPictureText slot = DefaultSlot();
        slot.Left = 9;
        slot.Top = 9;
        WhileOpen(dialog, [&] {
            Child<QLineEdit>("edtTextLeft")->setText(text);
            Child<QLineEdit>("edtTextTop")->setText(text);
            Child<QPushButton>("btnOK")->click();
        });
        Edit(slot);
        QCOMPARE(int(slot.Left), stored);
        QCOMPARE(int(slot.Top), stored);
    }

    void twoLineCaptionKeepsItsBreak() {
        TSaverPictureText slot = DefaultSlot();
        WhileOpen(dialog, [&] {
            Child<QPlainTextEdit>("moText")->setPlainText(QStringLiteral("第一行\n第二行"));
            Child<QComboBox>("cboTextPos")->setCurrentIndex(6);
            Child<QPushButton>("btnOK")->click();
        });
        Edit(slot);
        QCOMPARE(QByteArray(slot.Text, 15), TwoLinesGbk);
        QCOMPARE(slot.Position, 6);

        WhileOpen(dialog, [&] {
            QCOMPARE(Child<QPlainTextEdit>("moText")->toPlainText(),
                     QStringLiteral("第一行\n第二行"));
            QCOMPARE(Child<QComboBox>("cboTextPos")->currentText(), QStringLiteral("用户自定义"));
        });
        Edit(slot);
    }

    void okWritesEveryField() {
        TSaverPictureText slot = DefaultSlot();
        std::memcpy(slot.Text, "old", 4);
        slot.Position = 42;  // outside the list: nothing selected
        WhileOpen(dialog, [&] {
            QCOMPARE(Child<QComboBox>("cboTextPos")->currentIndex(), -1);
            Child<QPlainTextEdit>("moText")->clear();
            Child<QPushButton>("btnOK")->click();
        });
        Edit(slot);
        QCOMPARE(slot.Text[0], '\0');
        QCOMPARE(slot.Text[1], 'l');  // the bytes after the terminator stay
        QCOMPARE(slot.Position, -1);
        QCOMPARE(slot.Font.Color, 65280);
    }

    void longCaptionIsCutAtTheField() {
        TSaverPictureText slot = DefaultSlot();
        const TSaverFont fontBefore = slot.Font;
        WhileOpen(dialog, [&] {
            Child<QPlainTextEdit>("moText")->setPlainText(QString(300, QChar('x')));
            Child<QPushButton>("btnOK")->click();
        });
        Edit(slot);
        QCOMPARE(QByteArray(slot.Text, 256), QByteArray(256, 'x'));
        QVERIFY(std::memcmp(&slot.Font, &fontBefore, sizeof fontBefore) == 0);
    }

    void chosenFontReachesTheSlotOnOk() {
        TSaverPictureText slot = DefaultSlot();
        WhileOpen(dialog, [&] {
            QFont font("Liberation Serif");
            font.setPointSize(20);
            font.setBold(true);
            font.setItalic(true);
            ChooseFont(font, QColor(255, 0, 128));
            Child<QPushButton>("btnOK")->click();
        });
        Edit(slot);
        QCOMPARE(slot.Font.Size, 20);
        QCOMPARE(int(slot.Font.Style), fsBold | fsItalic);
        QCOMPARE(slot.Font.Color, 0x8000FF);  // red 255, blue 128
        QCOMPARE(QByteArray(slot.Font.Name), QByteArray("Liberation Serif"));
    }

    void fontDialogOffersTheSlotsFont() {
        // As in the program, whose font dialog speaks Chinese.
        QTranslator chinese;
        QVERIFY(chinese.load(QStringLiteral("qtbase_zh_CN"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&chinese);
        TSaverPictureText slot = DefaultSlot();
        slot.Font.Size = 14;
        slot.Font.Style = fsUnderline;
        std::memcpy(slot.Font.Name, "MS Sans Serif", 14);
        QFont offered;
        WhileOpen(dialog, [&] {
            QTimer::singleShot(0, dialog, [&offered] {
                auto* fontDialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
                QVERIFY(fontDialog);
                offered = fontDialog->currentFont();
                fontDialog->accept();
            });
            Child<QPushButton>("btnTextFont")->click();
            Child<QPushButton>("btnOK")->click();
        });
        Edit(slot);
        QVERIFY(!offered.bold());
        QVERIFY(!offered.italic());
        QVERIFY(offered.underline());
        // Confirming the font dialog unchanged gives back the slot's font.
        QCOMPARE(slot.Font.Size, 14);
        QCOMPARE(int(slot.Font.Style), fsUnderline);
        QCOMPARE(slot.Font.Color, 65280);
    }

    void fontDialogCancelKeepsFontAndColour() {
        TSaverPictureText slot = DefaultSlot();
        const TSaverFont fontBefore = slot.Font;
        WhileOpen(dialog, [&] {
            QFont font("Liberation Serif");
            font.setPointSize(20);
            ChooseFont(font, QColor(0, 0, 255), false);
            QCOMPARE(dialog->ChosenFont(), (TFont{"MS Sans Serif", 10, 0, 65280}));
            // The colour offered next time is the font's again, not the one cancelled.
            ChooseFont(font);
            QCOMPARE(dialog->ChosenFont().Color, 65280);
            Child<QPushButton>("btnOK")->click();
        });
        Edit(slot);
        QCOMPARE(slot.Font.Size, 20);
        QCOMPARE(slot.Font.Color, fontBefore.Color);
    }
};

QTEST_MAIN(TextDialogTest)
#include "uTextTest.moc"
