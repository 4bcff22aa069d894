#include "imageio/write/AtomicWrite.h"

#include "imageio/write/ReplacedFile.h"
#include "imageio/write/StaleTemporaries.h"
#include "imageio/write/WriteFailure.h"
#include "imageio/write/WriteTemporary.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileWriteResult failure(const QString& why) {
    FileWriteResult result;
    result.error = why;
    return result;
}

// What open() gives a new file: 0666 less the umask.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

FileWriteResult writeFileAtomically(const QString& path, ExistingFile existing,
                                    const std::function<bool(const QString&, QString*)>& produce) {
    const QByteArray target = QFile::encodeName(path);
    struct stat before {};
    const bool existed = ::stat(target.constData(), &before) == 0;
    if (existed && existing == ExistingFile::Keep)
        return failure(QStringLiteral("%1 already exists").arg(path));
    if (existed && !S_ISREG(before.st_mode))
        return failure(QStringLiteral("%1 is not a regular file").arg(path));
    if (existed) {
        const QString problem = ReplacedFile::problem(path, before);
        if (!problem.isEmpty())
            return failure(problem);
    }
    StaleTemporaries::removeIn(QFileInfo(path).absolutePath());

    WriteTemporary temp(path);
    if (!temp.isOpen())
        return failure(temp.error());
    // The system's cause when there is one (a full disk, a size limit, an I/O
    // error): encoders tend to lose it. Else the producer's words, naming the
    // file the person knows rather than the temporary.
    const auto failed = [&](QString why) {
        const int cause = writeFailureCause(observeWrite(temp.fd()));
        return failure(cause != 0 ? cannotWrite(path, cause) : why.replace(temp.path(), path));
    };

    QString why;
    if (!produce(temp.path(), &why))
        return failed(why.isEmpty() ? QStringLiteral("the image could not be encoded") : why);
    struct stat written {};
    if (::fstat(temp.fd(), &written) != 0 || written.st_size == 0)
        return failed(QStringLiteral("the image could not be encoded"));
    if (existed ? !ReplacedFile::carryOver(path, before, temp.fd(), &why)
                : ::fchmod(temp.fd(), newFileMode()) != 0)
        return failure(existed ? why : cannotWrite(path, errno));
    if (::fsync(temp.fd()) != 0 && errno != EINVAL)
        return failure(cannotWrite(path, errno));
    if (!temp.publish(existing == ExistingFile::Replace))
        return failure(cannotWrite(path, errno));
    FileWriteResult result;
    result.ok = true;
    result.path = path;
    return result;
}

bool writeBytes(const QString& path, QByteArrayView bytes, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
