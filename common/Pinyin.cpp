#include "common/Pinyin.h"

#include <QStringEncoder>
#include <array>

namespace {
struct Range {
    char letter;
    int first;
    int last;
};

// First-level GB2312 is ordered by pinyin: each initial owns one contiguous run of codes.
constexpr std::array<Range, 23> ranges{{
    {'A', 0xB0A1, 0xB0C4}, {'B', 0xB0C5, 0xB2C0}, {'C', 0xB2C1, 0xB4ED}, {'D', 0xB4EE, 0xB6E9},
    {'E', 0xB6EA, 0xB7A1}, {'F', 0xB7A2, 0xB8C0}, {'G', 0xB8C1, 0xB9FD}, {'H', 0xB9FE, 0xBBF6},
    {'J', 0xBBF7, 0xBFA5}, {'K', 0xBFA6, 0xC0AB}, {'L', 0xC0AC, 0xC2E7}, {'M', 0xC2E8, 0xC4C2},
    {'N', 0xC4C3, 0xC5B5}, {'O', 0xC5B6, 0xC5BD}, {'P', 0xC5BE, 0xC6D9}, {'Q', 0xC6DA, 0xC8BA},
    {'R', 0xC8BB, 0xC8F5}, {'S', 0xC8F6, 0xCBF9}, {'T', 0xCBFA, 0xCDD9}, {'W', 0xCDDA, 0xCEF3},
    {'X', 0xCEF4, 0xD188}, {'Y', 0xD189, 0xD4D0}, {'Z', 0xD4D1, 0xD7F9},
}};
} // namespace

QChar PinyinInitial(const QByteArray &piece)
{
    if (piece.size() < 2)
        return QLatin1Char(' ');
    const int code = static_cast<unsigned char>(piece[0]) * 256 + static_cast<unsigned char>(piece[1]);
    for (const Range &r : ranges)
        if (code >= r.first && code <= r.last)
            return QLatin1Char(r.letter);
    return QLatin1Char(' ');
}

QString PinyinInitials(const QString &text)
{
    QStringEncoder gbk("GBK");
    const QByteArray bytes = gbk.encode(text);
    QString initials;
    const qsizetype pairs = bytes.size() / 2;
    initials.reserve(pairs);
    for (qsizetype i = 0; i < pairs; ++i)
        initials += PinyinInitial(bytes.mid(2 * i, 2));
    return initials;
}
