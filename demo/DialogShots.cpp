// Shows one dialog, filled with sample content, for a screenshot: prints its screen geometry
// once it is painted and stays open until killed.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "ui/uAbout.h"
#include "ui/uDescription.h"
#include "ui/uText.h"
#include "ui/uTransitions.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    std::unique_ptr<QDialog> dialog;
    if (which == "text") {
        dialog = std::make_unique<TfrmText>();
        dialog->findChild<QPlainTextEdit*>("moText")->setPlainText(
            QStringLiteral("春天的西湖\n摄于二〇〇三年"));
        dialog->findChild<QComboBox*>("cboTextPos")->setCurrentIndex(1);
    } else if (which == "transitions") {
        auto transitions = std::make_unique<TfrmTransitions>();
        for (int number : {1, 2, 3, 4, 9, 10, 13, 14, 17, 19, 20}) {
            transitions->findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(number))
                ->setChecked(true);
        }
        dialog = std::move(transitions);
    } else if (which == "description") {
        dialog = std::make_unique<TfrmDescription>();
        dialog->findChild<QPlainTextEdit*>("Memo")->setPlainText(
            QStringLiteral("这是一组家乡的风景照片。\n欢迎访问我们的网站。"));
        dialog->findChild<QLineEdit*>("edtA")->setText("http://www.example.com");
        dialog->findChild<QLineEdit*>("edtB")->setText(QStringLiteral("北京示例公司"));
        dialog->findChild<QLineEdit*>("edtC")->setText(QStringLiteral("版权所有 2003"));
        dialog->findChild<QCheckBox*>("chkExists")->setChecked(true);
    } else if (which == "about") {
        dialog = std::make_unique<TfrmAbout>();
    } else {
        std::fprintf(stderr, "usage: kavro_dialog_shots text|transitions|description|about\n");
        return 2;
    }
    dialog->show();
    QTimer::singleShot(500, [&] {
        const QRect frame = dialog->frameGeometry();
        std::printf("%dx%d+%d+%d\n", frame.width(), frame.height(), frame.x(), frame.y());
        std::fflush(stdout);
    });
    return app.exec();
}
