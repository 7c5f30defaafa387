#pragma once

#include <QString>
#include <QStringList>

// de.ini: a Windows-style initialisation file. Sections and keys match without regard to
// case, a missing key reads as the given default. A write reaches the file at once and keeps
// the file's encoding (GBK or UTF-8), its line endings and the order of its lines.
class IniFile {
public:
    enum class Encoding { Utf8, Gbk };

    explicit IniFile(const QString &path);

    QString read(const QString &section, const QString &key, const QString &defaultValue = QStringLiteral("0")) const;
    // Throws std::runtime_error when the file cannot be written.
    void write(const QString &section, const QString &key, const QString &value);

    const QString &path() const { return path_; }
    Encoding encoding() const { return encoding_; }
    bool exists() const { return exists_; }

private:
    int sectionLine(const QString &section) const;
    int keyLine(int sectionStart, const QString &key) const;
    void save() const;

    QString path_;
    QStringList lines_;
    Encoding encoding_ = Encoding::Utf8;
    bool bom_ = false;
    QString eol_ = QStringLiteral("\n");
    bool exists_ = false;
};
