#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// The pinyin initial of a two-byte GBK piece: the letter whose range of first-level GB2312
// codes holds first byte * 256 + second byte, or a blank. Purely numeric: the bytes need not
// form a valid character.
QChar PinyinInitial(const QByteArray &piece);

// The initials rule: the text's GBK bytes taken in pairs from the first byte, one
// PinyinInitial per pair; an odd last byte gives nothing, blanks stay.
QString PinyinInitials(const QString &text);
