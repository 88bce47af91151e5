#include "ui/MemoText.h"

QString MemoFromField(const std::string& utf8) {
    QString text = QString::fromStdString(utf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

std::string FieldFromMemo(const QString& memo) {
    QString text = memo;
    text.replace(QChar('\n'), QStringLiteral("\r\n"));
    return text.toStdString();
}
