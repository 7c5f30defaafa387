#include "app/IniFile.h"

#include "common/ErrorDisplay.h"
#include "common/FileProblem.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <stdexcept>

IniFile::IniFile(const QString &path) : path_(path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    exists_ = true;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bom_ = true;
        bytes.remove(0, 3);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        encoding_ = Encoding::Gbk;
        QStringDecoder gbk("GBK");
        text = gbk.decode(bytes);
    }
    if (text.contains(QLatin1String("\r\n")))
        eol_ = QStringLiteral("\r\n");
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines_ = text.split(QLatin1Char('\n'));
    if (!lines_.isEmpty() && lines_.last().isEmpty())
        lines_.removeLast();
}

static bool isSectionHeader(const QString &line, QString *name = nullptr)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')) || !t.contains(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.indexOf(QLatin1Char(']')) - 1).trimmed();
    return true;
}

int IniFile::sectionLine(const QString &section) const
{
    for (int i = 0; i < lines_.size(); ++i) {
        QString name;
        if (isSectionHeader(lines_[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::keyLine(int sectionStart, const QString &key) const
{
    for (int i = sectionStart + 1; i < lines_.size() && !isSectionHeader(lines_[i]); ++i) {
        const QString &line = lines_[i];
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && !line.trimmed().startsWith(QLatin1Char(';'))
            && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniFile::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    const int s = sectionLine(section);
    if (s < 0)
        return defaultValue;
    const int k = keyLine(s, key);
    if (k < 0)
        return defaultValue;
    const QString &line = lines_[k];
    QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return value;
}

void IniFile::write(const QString &section, const QString &key, const QString &value)
{
    int s = sectionLine(section);
    if (s < 0) {
        lines_.append(QLatin1Char('[') + section + QLatin1Char(']'));
        s = int(lines_.size()) - 1;
    }
    const int k = keyLine(s, key);
    if (k >= 0) {
        const QString &line = lines_[k];
        lines_[k] = line.left(line.indexOf(QLatin1Char('='))).trimmed() + QLatin1Char('=') + value;
    } else {
        // After the section's last non-blank line, so that blank separators stay in place.
        int at = s + 1;
        for (int i = s + 1; i < lines_.size() && !isSectionHeader(lines_[i]); ++i)
            if (!lines_[i].trimmed().isEmpty())
                at = i + 1;
        lines_.insert(at, key + QLatin1Char('=') + value);
    }
    save();
    exists_ = true;
}

void IniFile::save() const
{
    QString text = lines_.join(eol_) + eol_;
    QByteArray bytes;
    if (encoding_ == Encoding::Gbk) {
        QStringEncoder gbk("GBK");
        bytes = gbk.encode(text);
    } else {
        bytes = text.toUtf8();
        if (bom_)
            bytes.prepend("\xEF\xBB\xBF");
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error(
            (QStringLiteral("配置文件没有保存。\n") + fileErrorText(file, QIODevice::WriteOnly)).toStdString());
}
