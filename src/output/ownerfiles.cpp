#include "ownerfiles.h"

#include <QFile>
#include <QFileDevice>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace OwnerFiles {

bool restrict(QFileDevice *file)
{
    return file->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

bool prepare(const QString &fileName, QString *problem)
{
    const QByteArray name = QFile::encodeName(fileName);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::fchmod(fd, 0600) != 0) {
        if (problem)
            *problem = describeErrno(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0
           && ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev
           && sa.st_ino == sb.st_ino;
}

QString describeErrno(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("discul este plin");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("folderul nu permite scrierea");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("folderul nu există");
    default:
        return QString::fromLocal8Bit(::strerror(error));
    }
}

} // namespace OwnerFiles
