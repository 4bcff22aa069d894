#pragma once

#include "desktop/settings/Setting.h"

#include <QFileDialog>
#include <QObject>
#include <QPointer>

class SettingsStore;

// The "Choose an image" dialog: non-modal, in the given folder (the one of
// the picture shown) or else the user's Documents folder (the home folder
// without one), offering the image types Fennic opens. One at a time;
// showing it again replaces the one open.
class OpenDialog : public QObject {
    Q_OBJECT
public:
    explicit OpenDialog(SettingsStore& store, QObject* parent = nullptr);
    ~OpenDialog() override;

    void show(const QString& folder = {});
    bool isShown() const { return m_dialog && m_dialog->isVisible(); }
    // The dialog while it exists, for tests.
    QFileDialog* dialog() const { return m_dialog; }

Q_SIGNALS:
    void fileChosen(const QString& path);
    // The dialog has gone away, with a file chosen or without.
    void closed();

private:
    Setting<QString> m_lastOpenLocation;
    QPointer<QFileDialog> m_dialog;
};

// "Images (*.jpg *.JPG ...)": each extension in lower and upper case.
QString openDialogNameFilter(const QStringList& extensions);
