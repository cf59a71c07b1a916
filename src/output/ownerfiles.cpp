#include "ownerfiles.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>

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

bool replacesRegister(const QString &target, const QString &registerFile)
{
    struct stat st, sr;
    if (::stat(QFile::encodeName(target).constData(), &st) == 0
        && ::stat(QFile::encodeName(registerFile).constData(), &sr) == 0
        && st.st_dev == sr.st_dev && st.st_ino == sr.st_ino)
        return true;
    const QString reg = QFileInfo(registerFile).canonicalFilePath();
    QFileInfo info(target);
    const QString folder = info.absoluteDir().canonicalPath();
    const QString path = folder.isEmpty() ? info.absoluteFilePath()
                                          : folder + QLatin1Char('/') + info.fileName();
    return path == reg || path == reg + QLatin1String("-wal")
           || path == reg + QLatin1String("-shm") || path == reg + QLatin1String("-journal");
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
