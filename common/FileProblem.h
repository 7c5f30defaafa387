#pragma once

#include <QFileDevice>
#include <QString>
#include <optional>

// Opens `path` for writing (creating it when it is missing) and closes it again, so that a report
// or a workbook learns before it writes whether its file can be written at all. nullopt when it
// can; else the text for the user, naming the file: "无法写入文件 /x/y.pdf: 没有权限".
std::optional<QString> checkWritable(const QString &path);

// "无法写入文件 <path>: <reason>".
QString cannotWriteText(const QString &path, const QString &reason);

// A system error number (errno) in the user's words: "没有权限", "文件夹不存在", ...
QString fileErrorReason(int errorNumber);


// A file operation that failed, in Chinese, naming the file and why: in place of
// QFile::errorString(), whose text ("Permission denied") is the system's English. `mode` is
// how the file was being opened, so that a missing file and a folder without write
// permission are told apart.
QString fileErrorText(const QString &path, QFileDevice::FileError error,
                      QIODevice::OpenMode mode = QIODevice::ReadOnly);
// The same for a file object after its failure (its name and error).
QString fileErrorText(const QFileDevice &file, QIODevice::OpenMode mode = QIODevice::ReadOnly);
