#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

// The outcome of writing an image file. On failure the file that was there
// before is exactly as it was, and error says why in words a person can read.
struct FileWriteResult {
    bool ok = false;
    QString path;  // the file written (on success)
    QString error; // empty on success
};

// How a write treats a file already at the target path.
enum class ExistingFile {
    Replace, // the new content takes its place (owner, group, permissions and
             // extended attributes are kept)
    Keep,    // the write fails rather than touch it
};

// Writes path through a temporary file in the same folder (WriteTemporary):
// produce fills the temporary file (it is given a name that opens it, and says
// why when it fails), which is flushed to disk and then put in place of path
// in one step. A failed produce, a full disk, a kill meanwhile or a file that
// appeared meanwhile (with Keep) leave no temporary file and nothing changed.
// A file that must not be replaced (ReplacedFile::problem) is refused before
// anything is written. Errors name path and the system's cause where there is
// one. Stale temporaries of earlier writes in the folder are removed first.
FileWriteResult
writeFileAtomically(const QString& path, ExistingFile existing,
                    const std::function<bool(const QString& tempPath, QString* error)>& produce);

// Fills the file at path (a temporary file of writeFileAtomically) with
// bytes; false with the system's reason.
bool writeBytes(const QString& path, QByteArrayView bytes, QString* error);
