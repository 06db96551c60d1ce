#include "image/imagefile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE *openImageFile(const QString &path, int &error)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer and reading a
    // terminal waits for input, and the window would hang with them.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        errno = EISDIR;
    else if (std::FILE *file = ::fdopen(fd, "rb"))
        return file;
    error = errno;
    ::close(fd);
    return nullptr;
}
