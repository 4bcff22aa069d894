#pragma once

#include "viewer/WindowCommands.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QMessageBox;
class QPrintDialog;
class QWidget;
class ViewerHost;
class ViewObserver;

// What a viewer window does to its files: writes a turn back, converts,
// moves to the Trash (asking first where the user pressed a key), prints,
// and hands a file to the file manager or the editor. The window says which
// file; every result comes back as a signal.
class ImageFileOperations : public QObject {
    Q_OBJECT
public:
    // window parents the dialogs; observer carries the conversion state.
    ImageFileOperations(ViewerHost& host, ViewObserver& observer, QWidget* window);

    // The window commands about a file: delete (asking first or not), open
    // in the editor, show in the file manager, print, convert ("value" the
    // extension). Nothing when command is another one.
    static bool handles(WindowCommand command);
    // Carries one out for the file at path in folder; false when it could
    // not be done.
    bool perform(WindowCommand command, const QString& path, const QString& folder,
                 const QVariantMap& userInfo);

    // Writes a quarter turn (+1 clockwise, -1 counter-clockwise) of the file
    // on the write thread, after any write of it still queued.
    void writeTurn(const QString& path, int quarterTurns);
    // Writes a copy of the file in the format of extension into folder.
    void convert(const QString& path, const QString& extension, const QString& folder);
    // Asks "Delete this image?"; confirmed, emits deleteConfirmed(path).
    void askToDelete(const QString& path);
    bool isAskingToDelete() const { return m_deleteConfirmation; }
    // Moves the file to the Trash at once; every window forgets it.
    void trash(const QString& path);
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

private:
    ViewerHost& m_host;
    ViewObserver& m_observer;
    QWidget* m_window;
    QPointer<QMessageBox> m_deleteConfirmation;
    QPointer<QPrintDialog> m_printDialog;
};
