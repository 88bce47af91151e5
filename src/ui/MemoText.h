#pragma once

#include <QString>
#include <string>

// A memo holds its lines joined by LF; text fields hold them joined by CR LF.
// The text of a field (UTF-8) as a memo shows it: CR LF and lone CR become LF.
QString MemoFromField(const std::string& utf8);
// A memo's text as a field stores it (UTF-8): every LF becomes CR LF.
std::string FieldFromMemo(const QString& memo);
