#pragma once

#include <QStringList>

class QWidget;

// Text fields are stored in GBK, which turns characters it cannot hold into "?". Before such
// text is stored, this names those characters to the user in a "提示!" box, once for each new
// set of them: the caller keeps the text as typed, and a second try stores it as GBK allows.
class TGbkWarning {
public:
    // True when it showed the box, so that the caller stops and lets the user change the text.
    bool Warn(QWidget* parent, const QStringList& texts);

private:
    QStringList FTold;
};
