#include "common/FileProblem.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

std::optional<QString> checkWritable(const QString &path)
{
    // The system's own answer, not a guess from permission bits: root, ACLs and read-only mounts
    // all decide here as they will when the file is written.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return cannotWriteText(path, fileErrorReason(errno));
    ::close(fd);
    return std::nullopt;
}

QString cannotWriteText(const QString &path, const QString &reason)
{
    return QStringLiteral("无法写入文件 %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

QString fileErrorReason(int errorNumber)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
    case ENOENT:
        return QStringLiteral("文件夹不存在");
    case ENOTDIR:
        return QStringLiteral("路径中有一项不是文件夹");
    case EISDIR:
        return QStringLiteral("这是一个文件夹");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间不足");
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长");
    case ETXTBSY:
    case EBUSY:
        return QStringLiteral("文件正在被使用");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件太多");
    case EIO:
        return QStringLiteral("读写磁盘出错");
    default:
        // A rare one: its number and the system's own text, for whoever looks into it.
        return QStringLiteral("系统错误 %1 (%2)").arg(errorNumber).arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}
