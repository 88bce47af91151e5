#include "ui/GbkWarning.h"

#include "settings/CodePage.h"
#include "ui/Messages.h"

bool TGbkWarning::Warn(QWidget* parent, const QStringList& texts) {
    QStringList missing;
    for (const QString& text : texts) {
        for (const std::string& character : GbkMissingCharacters(text.toStdString())) {
            const QString shown = QString::fromStdString(character);
            if (!missing.contains(shown)) {
                missing << shown;
            }
        }
    }
    bool news = false;
    for (const QString& character : missing) {
        news = news || !FTold.contains(character);
    }
    if (!news) {
        return false;
    }
    FTold << missing;
    ShowRefusal(parent,
                QStringLiteral("以下字符无法保存,会变成“?”:\n%1\n"
                               "请修改文字;如果不修改,再试一次就会按此保存.")
                    .arg(missing.join(QLatin1Char(' '))));
    return true;
}
