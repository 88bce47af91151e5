#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "support/WhenModal.h"
#include "ui/QtWizardDialogs.h"

class TQtWizardDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void convertsFilters_data();
    void convertsFilters();
    void picturesComeInTypedOrderWithPreview();
    void cancelAnswersNothing();
    void saveAddsExtension();

private:
    void Accept(QFileDialog* dialog, const QString& typed);

    std::unique_ptr<QTemporaryDir> FDir;
    TQtWizardDialogs FDialogs;
};

void TQtWizardDialogsTest::init() {
    FDir = std::make_unique<QTemporaryDir>();
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(FDir->filePath("a.bmp")));
    QVERIFY(image.save(FDir->filePath("b.jpg")));
}

void TQtWizardDialogsTest::Accept(QFileDialog* dialog, const QString& typed) {
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    QVERIFY(name != nullptr);
    name->setText(typed);
    QMetaObject::invokeMethod(dialog, "accept");
}

void TQtWizardDialogsTest::convertsFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("pictures")
        << "所有支持类型 (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|位图文件 (*.bmp)|*.bmp"
        << QStringList({"所有支持类型 (*.jpg *.jpeg *.bmp)", "位图文件 (*.bmp)"});
    QTest::newRow("one") << "EXE 文件 (*.exe)|*.exe" << QStringList({"EXE 文件 (*.exe)"});
    QTest::newRow("description without patterns")
        << "Everything|*.*" << QStringList({"Everything"});
    QTest::newRow("odd field dropped") << "A (*.a)|*.a|B" << QStringList({"A (*.a)"});
}

void TQtWizardDialogsTest::convertsFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(TQtWizardDialogs::NameFilters(filter), expected);
}

void TQtWizardDialogsTest::picturesComeInTypedOrderWithPreview() {
    QStringList filters;
    bool previewShown = false;
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFiles);
        QCOMPARE(dialog->labelText(QFileDialog::Accept), QStringLiteral("打开(&O)"));
        QCOMPARE(dialog->labelText(QFileDialog::FileName), QStringLiteral("文件名:"));
        QCOMPARE(dialog->directory().absolutePath(), FDir->path());
        auto* preview = dialog->findChild<QLabel*>("picturePreview");
        QVERIFY(preview != nullptr);
        emit dialog->currentChanged(FDir->filePath("b.jpg"));
        previewShown = !preview->pixmap().isNull();
        Accept(dialog, "\"b.jpg\" \"a.bmp\"");
    });
    const QStringList chosen = FDialogs.OpenPictures(nullptr, FDir->path());
    QCOMPARE(chosen, QStringList({FDir->filePath("b.jpg"), FDir->filePath("a.bmp")}));
    QVERIFY(previewShown);
    QCOMPARE(filters,
             QStringList({"所有支持类型 (*.jpg *.jpeg *.bmp *.png *.webp *.heic *.heif)",
                          "JPEG 图象文件 (*.jpg)",
                          "JPEG 图象文件 (*.jpeg)",
                          "位图文件 (*.bmp)",
                          "PNG 图象文件 (*.png)",
                          "WebP 图象文件 (*.webp)",
                          "HEIC 图象文件 (*.heic)",
                          "HEIF 图象文件 (*.heif)"}));
}

void TQtWizardDialogsTest::cancelAnswersNothing() {
    WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    QVERIFY(FDialogs.OpenPictures(nullptr, FDir->path()).isEmpty());
    WhenModal<QFileDialog>([](QFileDialog* dialog) {
        QCOMPARE(dialog->nameFilters().size(), 5);
        dialog->reject();
    });
    QVERIFY(FDialogs.OpenSound(nullptr, FDir->path()).isEmpty());
}

void TQtWizardDialogsTest::saveAddsExtension() {
    WhenModal<QFileDialog>([this](QFileDialog* dialog) {
        // The output folder does not exist before the first build: its parent is shown.
        QCOMPARE(dialog->directory().absolutePath(), FDir->path());
        QCOMPARE(dialog->nameFilters(), QStringList({"自动安装程序 (*.run)"}));
        QCOMPARE(dialog->labelText(QFileDialog::Accept), QStringLiteral("保存(&S)"));
        Accept(dialog, "Show");
    });
    QCOMPARE(FDialogs.SaveTarget(nullptr, FDir->filePath("ScreenSavers/")),
             FDir->filePath("Show.run"));
}

QTEST_MAIN(TQtWizardDialogsTest)
#include "QtWizardDialogsTest.moc"
