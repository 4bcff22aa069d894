#pragma once

#include "viewer/WindowCommands.h"
#include "viewer/operations/ExpectedVersion.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QMessageBox;
class QDialog;
class QWidget;
class ViewerHost;
class ViewObserver;

// What a viewer window does to its files: writes a turn back, converts,
// moves to the Trash (asking first where the user pressed a key), prints,
// and hands a file to the file manager or the editor. The window says which
// file, and for a turn or a conversion which version of it is on screen:
// a file that changed since is neither turned nor converted. Every result
// comes back as a signal.
class ImageFileOperations : public QObject {
    Q_OBJECT
public:
    // window parents the dialogs; observer carries the conversion state.
    ImageFileOperations(ViewerHost& host, ViewObserver& observer, QWidget* window);

    // The window commands about a file: delete (asking first or not), open
    // in the editor, show in the file manager, print, convert ("value" the
    // extension). Nothing when command is another one.
    static bool handles(WindowCommand command);
    // Carries one out for the file at path in folder, whose picture on screen
    // was read from the version shown; false when it could not be done.
    bool perform(WindowCommand command, const QString& path, const FileIdentity& shown,
                 const QString& folder, const QVariantMap& userInfo);

    // Writes a quarter turn (+1 clockwise, -1 counter-clockwise) of the file
    // on the write thread, after any write of it still queued.
    void writeTurn(const QString& path, int quarterTurns, const FileIdentity& shown);
    // Writes a copy of the file in the format of extension into folder.
    void convert(const QString& path, const QString& extension, const QString& folder,
                 const FileIdentity& shown);
    // Asks "Delete this image?"; confirmed, emits deleteConfirmed(path).
    void askToDelete(const QString& path);
    bool isAskingToDelete() const { return m_deleteConfirmation; }
    // Moves the file to the Trash at once; every window forgets it.
    void trash(const QString& path);
    // Puts the last file this session moved to the Trash back where it was,
    // when nothing has taken its name since.
    void undoDelete();
    void print(const QString& path);
    void reveal(const QString& path);
    // False when the editor is not installed or would not start.
    bool openInEditor(const QString& path);

Q_SIGNALS:
    void deleteConfirmed(const QString& path);
    // A turned picture or a converted copy has been written (or not).
    void fileWritten(const QString& path, bool ok);
    // A turn could not be written; the picture stays turned on screen only.
    void turnNotWritten(const QString& path, const QString& reason);
    // A short message for the person at the window.
    void noteRequested(const QString& text);
    // A file went to the Trash: a note that offers to put it back.
    void undoOffered(const QString& text);
    // A file is back from the Trash, to be shown.
    void fileRestored(const QString& path);
    // The file changed on disk since its picture was shown, so a turn or a
    // conversion of it was not made: what it holds now is to be shown.
    void fileReplaced(const QString& path);

private:
    // When check found the file replaced: tells the person and asks for the
    // file to be shown again. False otherwise.
    bool refused(SourceCheck check, const QString& path, const QString& what);

    ViewerHost& m_host;
    ViewObserver& m_observer;
    QWidget* m_window;
    QPointer<QMessageBox> m_deleteConfirmation;
    QPointer<QDialog> m_printDialog;
    ExpectedVersions m_versions;
};
