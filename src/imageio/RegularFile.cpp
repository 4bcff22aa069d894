#include "imageio/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString kindProblem(const struct stat& status) {
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("not a regular file");
    if (status.st_size == 0)
        return QStringLiteral("the file is empty");
    return {};
}

QString errnoText(int code) {
    if (code == ENOENT)
        return QStringLiteral("the file does not exist");
    return QStringLiteral("cannot open the file: %1")
        .arg(QString::fromLocal8Bit(std::strerror(code)));
}

} // namespace

namespace RegularFile {

QString problem(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return errnoText(errno);
    return kindProblem(status);
}

bool open(QFile& file, const QString& path, QString* error) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = errnoText(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        *error = errnoText(errno);
        ::close(fd);
        return false;
    }
    *error = kindProblem(status);
    if (!error->isEmpty() || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (error->isEmpty())
            *error = QStringLiteral("cannot open the file: %1").arg(file.errorString());
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace RegularFile
