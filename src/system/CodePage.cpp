#include "system/CodePage.h"

namespace {

// Bytes 0x80 to 0x9F; every other byte is the Latin-1 character of its value.
// The five bytes the code page leaves undefined stand for the C1 control of
// their value, as ICU reads them.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t toUnicode(uchar byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t(byte);
}

std::optional<char> toByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c < 0x100))
        return char(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == c)
            return char(0x80 + i);
    }
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> CodePage::encode(const QString &text, QString *unstorable)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = toByte(text.at(i).unicode());
        if (!byte) {
            if (unstorable)
                *unstorable = text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1);
            return std::nullopt;
        }
        bytes += *byte;
    }
    return bytes;
}

QString CodePage::decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (const char byte : bytes)
        *out++ = toUnicode(uchar(byte));
    return text;
}
