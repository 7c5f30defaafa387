#include "db/Sql.h"

#include "db/Money.h"
#include "db/Quote.h"

#include <QRegularExpression>

namespace db {

Sql::Sql(FixedTag piece)
{
    if (!piece.text.isEmpty())
        pieces_.append({PieceKind::Fixed, std::move(piece.text), {}});
}

Sql Sql::fixed(const QString &text) { return Sql(FixedTag{text}); }

Sql Sql::text(const QString &value)
{
    Sql s;
    s.pieces_.append({PieceKind::Text, value, {}});
    return s;
}

Sql Sql::date(const QDate &value)
{
    Sql s;
    s.pieces_.append({PieceKind::Date, {}, value});
    return s;
}

Sql Sql::like(const QString &value)
{
    Sql s;
    s.pieces_.append({PieceKind::Like, value, {}});
    return s;
}

Sql Sql::value(const QVariant &value)
{
    Sql s;
    s.pieces_.append({PieceKind::Value, {}, value});
    return s;
}

Sql Sql::money(Money amount) { return value(QVariant::fromValue(amount)); }

Sql Sql::identifier(const QString &name)
{
    Sql s;
    s.pieces_.append({PieceKind::Identifier, name, {}});
    return s;
}

Sql &Sql::kind(const QString &column, ColumnKind kind)
{
    kinds_.insert(column.toLower(), kind);
    return *this;
}

Sql &Sql::operator+=(const Sql &other)
{
    pieces_.append(other.pieces_);
    kinds_.insert(other.kinds_);
    if (other.limit_ > 0) {
        limit_ = other.limit_;
        rankingTop_ = other.rankingTop_;
    }
    return *this;
}

static QString quoted(const QString &value, const QString &delimiter)
{
    if (delimiter.isEmpty())
        return value;
    QString escaped = value;
    escaped.replace(delimiter, delimiter + delimiter);
    return delimiter + escaped + delimiter;
}

static QString literal(const QVariant &v, const QString &kind)
{
    if (v.typeId() == QMetaType::QString)
        return quoted(v.toString(), StringQuote(kind));
    if (v.typeId() == QMetaType::QDate)
        return quoted(v.toDate().toString(QStringLiteral("yyyy-MM-dd")), DateQuote(kind));
    if (v.metaType() == QMetaType::fromType<Money>())
        return v.value<Money>().toPlainString();
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (v.isNull())
        return QStringLiteral("null");
    return v.toString();
}

QString Sql::displayText(const QString &kind) const
{
    QString out;
    for (const Piece &p : pieces_) {
        switch (p.kind) {
        case PieceKind::Fixed:
        case PieceKind::Identifier:
            out += p.text;
            break;
        case PieceKind::Text:
            out += quoted(p.text, StringQuote(kind));
            break;
        case PieceKind::Like:
            out += quoted(QLatin1Char('%') + p.text + QLatin1Char('%'), StringQuote(kind));
            break;
        case PieceKind::Date:
            out += quoted(p.value.toDate().toString(QStringLiteral("yyyy-MM-dd")), DateQuote(kind));
            break;
        case PieceKind::Value:
            out += literal(p.value, kind);
            break;
        }
    }
    if (limit_ > 0) {
        if (rankingTop_ && kind == KindSqlServer)
            out = insertTop(out, QStringLiteral("top %1 percent ").arg(limit_));
        else if (kind == KindPostgres)
            out += QStringLiteral(" limit %1").arg(limit_);
        else
            out = insertTop(out, QStringLiteral("top %1 ").arg(limit_));
    }
    return out;
}

QString Sql::preparedText() const
{
    QString out;
    for (const Piece &p : pieces_) {
        if (p.kind == PieceKind::Fixed || p.kind == PieceKind::Identifier)
            out += p.text;
        else
            out += QLatin1Char('?');
    }
    return out;
}

QVariantList Sql::boundValues() const
{
    QVariantList values;
    for (const Piece &p : pieces_) {
        switch (p.kind) {
        case PieceKind::Text:
            values.append(p.text);
            break;
        case PieceKind::Like:
            values.append(QString(QLatin1Char('%') + p.text + QLatin1Char('%')));
            break;
        case PieceKind::Date:
        case PieceKind::Value:
            values.append(p.value);
            break;
        default:
            break;
        }
    }
    return values;
}

QStringList Sql::identifiers() const
{
    QStringList names;
    for (const Piece &p : pieces_)
        if (p.kind == PieceKind::Identifier)
            names.append(p.text);
    return names;
}

QString insertTop(const QString &statement, const QString &topClause)
{
    static const QRegularExpression head(QStringLiteral("^\\s*select\\s+(distinct\\s+)?"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = head.match(statement);
    if (!m.hasMatch())
        return statement;
    QString out = statement;
    out.insert(m.capturedEnd(), topClause);
    return out;
}

} // namespace db
