#include "common/FileProblem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Why a file could not be opened, from what the file system shows.
static QString openFailureReason(const QString &path, QIODevice::OpenMode mode)
{
    const QFileInfo file(path);
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    const QFileInfo folderInfo(file.absolutePath());
    const bool writing = mode & (QIODevice::WriteOnly | QIODevice::Append);
    if (file.isDir())
        return QStringLiteral("这是一个文件夹,不是文件");
    if (file.exists()) {
        if (writing && !file.isWritable())
            return QStringLiteral("文件是只读的,没有写入权限");
        // A safe save writes a new file beside the old one.
        if (writing && !folderInfo.isWritable())
            return QStringLiteral("没有在文件夹 %1 中写入的权限").arg(folder);
        if (!file.isReadable())
            return QStringLiteral("没有读取权限");
        return QStringLiteral("文件正被其他程序使用或无法访问");
    }
    if (!folderInfo.isDir())
        return QStringLiteral("文件夹 %1 不存在").arg(folder);
    if (writing && !folderInfo.isWritable())
        return QStringLiteral("没有在文件夹 %1 中写入的权限").arg(folder);
    if (writing)
        return QStringLiteral("无法在文件夹 %1 中建立文件").arg(folder);
    return QStringLiteral("文件不存在");
}

QString fileErrorText(const QString &path, QFileDevice::FileError error, QIODevice::OpenMode mode)
{
    const QString name = QDir::toNativeSeparators(path);
    switch (error) {
    case QFileDevice::NoError:
        return {};
    case QFileDevice::OpenError:
        return QStringLiteral("无法打开文件 %1: %2").arg(name, openFailureReason(path, mode));
    case QFileDevice::ReadError:
        return QStringLiteral("读取文件 %1 时出错").arg(name);
    case QFileDevice::WriteError:
        // A write that fails after the opening: usually a full disk or a lost drive.
        return QStringLiteral("写入文件 %1 时出错 (磁盘已满或无法访问?)").arg(name);
    case QFileDevice::ResourceError:
        return QStringLiteral("写入文件 %1 时资源不足 (磁盘已满?)").arg(name);
    case QFileDevice::AbortError:
        return QStringLiteral("对文件 %1 的操作已取消").arg(name);
    case QFileDevice::TimeOutError:
        return QStringLiteral("访问文件 %1 超时").arg(name);
    case QFileDevice::RemoveError:
        return QStringLiteral("无法删除文件 %1: %2").arg(name, openFailureReason(path, QIODevice::WriteOnly));
    case QFileDevice::RenameError:
        return QStringLiteral("无法重命名文件 %1").arg(name);
    case QFileDevice::PositionError:
        return QStringLiteral("无法在文件 %1 中定位").arg(name);
    case QFileDevice::ResizeError:
        return QStringLiteral("无法改变文件 %1 的大小").arg(name);
    case QFileDevice::PermissionsError:
        return QStringLiteral("无法修改文件 %1 的权限").arg(name);
    case QFileDevice::CopyError:
        return QStringLiteral("无法复制文件 %1").arg(name);
    case QFileDevice::FatalError:
    case QFileDevice::UnspecifiedError:
        break;
    }
    return QStringLiteral("访问文件 %1 时出错").arg(name);
}

QString fileErrorText(const QFileDevice &file, QIODevice::OpenMode mode)
{
    return fileErrorText(file.fileName(), file.error(), mode);
}
