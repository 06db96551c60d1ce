#include "image/imagefile.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Why a file of this type is no image; empty for a regular file.
QString refusal(const struct stat &info)
{
    if (S_ISREG(info.st_mode))
        return {};
    if (S_ISDIR(info.st_mode))
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    return QCoreApplication::translate("ImageFile", "not a regular file");
}

} // namespace

std::FILE *openImageFile(const QString &path, QString &error)
{
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened: opening a socket fails for a reason of
    // its own, and opening a device can act on the device.
    struct stat info;
    error = ::stat(name.constData(), &info) == 0 ? refusal(info) : QString();
    if (!error.isEmpty())
        return nullptr;
    // Non-blocking, should a FIFO take the file's place in between: opening
    // it then returns at once, and the check below refuses it.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = systemError();
        return nullptr;
    }
    error = ::fstat(fd, &info) == 0 ? refusal(info) : systemError();
    std::FILE *file = error.isEmpty() ? ::fdopen(fd, "rb") : nullptr;
    if (!file) {
        if (error.isEmpty())
            error = systemError();
        ::close(fd);
    }
    return file;
}
