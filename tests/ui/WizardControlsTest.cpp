#include <QApplication>
#include <QColorDialog>
#include <QFrame>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "support/WhenModal.h"
#include "ui/BaFunction.h"
#include "ui/Glyphs.h"
#include "ui/UpDown.h"

class TWizardControlsTest : public QObject {
    Q_OBJECT

private slots:
    void upDownStepsWithinItsRange();
    void upDownFollowsTypedNumbers_data();
    void upDownFollowsTypedNumbers();
    void panelColorChangesOnlyWhenChosen();
    void colorDialogAnswers();
    void glyphsHaveTransparentCorner();
};

void TWizardControlsTest::upDownStepsWithinItsRange() {
    QLineEdit edit;
    TUpDown upDown(1, 60, 5);
    upDown.SetBuddy(&edit);
    QCOMPARE(edit.text(), QStringLiteral("5"));
    upDown.UpButton()->click();
    QCOMPARE(upDown.Position(), 6);
    QCOMPARE(edit.text(), QStringLiteral("6"));
    upDown.SetPosition(60);
    upDown.UpButton()->click();
    QCOMPARE(upDown.Position(), 60);  // no wrapping
    upDown.SetPosition(1);
    upDown.DownButton()->click();
    QCOMPARE(upDown.Position(), 1);
    QCOMPARE(edit.text(), QStringLiteral("1"));
}

void TWizardControlsTest::upDownFollowsTypedNumbers_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("position");
    QTest::newRow("inside") << "17" << 17;
    QTest::newRow("above") << "99" << 60;
    QTest::newRow("zero") << "0" << 1;
    QTest::newRow("negative") << "-3" << 1;
    QTest::newRow("huge") << "99999999999999" << 60;
    QTest::newRow("letters keep the last") << "abc" << 5;
    QTest::newRow("empty keeps the last") << "" << 5;
}

void TWizardControlsTest::upDownFollowsTypedNumbers() {
    QFETCH(QString, typed);
    QFETCH(int, position);
    QLineEdit edit;
    TUpDown upDown(1, 60, 5);
    upDown.SetBuddy(&edit);
    edit.selectAll();
    edit.del();
    QTest::keyClicks(&edit, typed);
    QCOMPARE(upDown.Position(), position);
    emit edit.editingFinished();
    QCOMPARE(edit.text(), QString::number(position));
}

void TWizardControlsTest::panelColorChangesOnlyWhenChosen() {
    QFrame panel;
    SetPanelColor(&panel, 16744448);
    QCOMPARE(PanelColor(&panel), 16744448);
    TColor offered = 0;
    QVERIFY(!PickPanelColor(&panel, [&offered](TColor initial) {
        offered = initial;
        return -1;
    }));
    QCOMPARE(offered, 16744448);
    QCOMPARE(PanelColor(&panel), 16744448);
    QVERIFY(PickPanelColor(&panel, [](TColor) { return 65280; }));
    QCOMPARE(PanelColor(&panel), 65280);
    QCOMPARE(panel.palette().color(QPalette::Window), QColor(0, 255, 0));
}

void TWizardControlsTest::colorDialogAnswers() {
    QColor preselected;
    WhenModal<QColorDialog>([&preselected](QColorDialog* dialog) {
        preselected = dialog->currentColor();
        dialog->reject();
    });
    QCOMPARE(PickColor(RGBColor(0, 128, 255)), -1);
    QCOMPARE(preselected, QColor(0, 128, 255));

    WhenModal<QColorDialog>([](QColorDialog* dialog) {
        dialog->setCurrentColor(QColor(253, 230, 168));
        dialog->accept();
    });
    QCOMPARE(PickColor(clBlack), 11069181);
}

void TWizardControlsTest::glyphsHaveTransparentCorner() {
    struct {
        QPixmap glyph;
        QColor centre;
    } const cases[] = {
        {PlayGlyph(), QColor(128, 0, 0)},
        {StopGlyph(), QColor(0, 0, 0)},
    };
    for (const auto& c : cases) {
        const QImage image = c.glyph.toImage();
        QCOMPARE(image.size(), QSize(16, 16));
        QCOMPARE(qAlpha(image.pixel(0, 15)), 0);
        QCOMPARE(QColor(image.pixel(7, 8)), c.centre);
    }
    for (const QPixmap& glyph : {OpenFolderGlyph(), EraserGlyph()}) {
        QCOMPARE(qAlpha(glyph.toImage().pixel(0, 15)), 0);
    }
}

QTEST_MAIN(TWizardControlsTest)
#include "WizardControlsTest.moc"
