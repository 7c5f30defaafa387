#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// A folder nobody may write into, for as long as the object lives, even when the tests run as
// root (as in CI): the folder is made read-only and the calling thread gives up the capability
// that lets root write anywhere (CAP_DAC_OVERRIDE), taking it back at the end. Only the calling
// thread is affected; write into the folder from that thread.
class ReadOnlyFolder {
public:
    ReadOnlyFolder()
    {
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                               | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        if (readCapabilities()) {
            dropped_ = (data_[0].effective & overrideBit) != 0;
            __user_cap_data_struct reduced[2] = {data_[0], data_[1]};
            reduced[0].effective &= ~overrideBit;
            setCapabilities(reduced);
        }
    }
    ~ReadOnlyFolder()
    {
        if (dropped_)
            setCapabilities(data_);
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString &name) const { return dir_.filePath(name); }

private:
    static constexpr __u32 overrideBit = 1u << CAP_DAC_OVERRIDE;

    bool readCapabilities()
    {
        header_ = {_LINUX_CAPABILITY_VERSION_3, 0};
        return syscall(SYS_capget, &header_, data_) == 0;
    }
    void setCapabilities(__user_cap_data_struct *data)
    {
        header_ = {_LINUX_CAPABILITY_VERSION_3, 0};
        syscall(SYS_capset, &header_, data);
    }

    QTemporaryDir dir_;
    __user_cap_header_struct header_{};
    __user_cap_data_struct data_[2]{};
    bool dropped_ = false;
};
