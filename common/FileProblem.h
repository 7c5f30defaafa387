#pragma once

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
