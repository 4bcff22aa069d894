#pragma once

#include <QString>
#include <QtGlobal>

// Encoders lose errno on the way to their own messages ("Unknown error"), so
// a failed write is explained from what the system shows afterwards.
struct WriteFacts {
    int syncError = 0;     // errno of fsync on the written file, 0 when it worked
    qint64 freeBytes = -1; // left on its file system for this user; -1 unknown
    qint64 size = 0;       // of the written file
    qint64 sizeLimit = -1; // the process's file size limit (RLIMIT_FSIZE); -1 none
};

// The errno that explains a failed write (EIO, ENOSPC, EFBIG, ...), or 0.
int writeFailureCause(const WriteFacts& facts);

// The facts of the file open as fd, which is flushed to disk on the way.
WriteFacts observeWrite(int fd);

// The system's words for an errno ("No space left on device").
QString systemError(int error);
// "cannot write PATH: " and the system's words for error.
QString cannotWrite(const QString& path, int error);
