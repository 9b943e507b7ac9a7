#include "platform/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
const char *const kName = "windows-1252";
}

bool CodePage::available()
{
    return QStringEncoder(kName).isValid();
}

std::optional<QByteArray> CodePage::encode(const QString &text, QString *unstorable)
{
    // A character without a byte comes back as another one.
    const QByteArray bytes = QStringEncoder(kName).encode(text);
    if (decode(bytes) == text)
        return bytes;
    for (qsizetype i = 0; unstorable && i < text.size(); i += unstorable->size()) {
        *unstorable = text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1);
        if (decode(QByteArray(QStringEncoder(kName).encode(*unstorable))) != *unstorable)
            break;
    }
    return std::nullopt;
}

QString CodePage::decode(QByteArrayView bytes)
{
    return QStringDecoder(kName).decode(bytes);
}
