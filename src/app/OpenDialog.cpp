#include "app/OpenDialog.h"

#include "desktop/files/ImageTypes.h"
#include "desktop/files/UserFolders.h"
#include "desktop/settings/AppSettings.h"

#include <QFileInfo>
#include <QTimer>

QString openDialogNameFilter(const QStringList& extensions) {
    QStringList patterns;
    for (const QString& ext : extensions) {
        for (const QString& pattern :
             {QStringLiteral("*.") + ext.toLower(), QStringLiteral("*.") + ext.toUpper()}) {
            if (!patterns.contains(pattern))
                patterns << pattern;
        }
    }
    return QStringLiteral("Images (%1)").arg(patterns.join(QLatin1Char(' ')));
}

OpenDialog::OpenDialog(SettingsStore& store, QObject* parent)
    : QObject(parent), m_lastOpenLocation(makeSetting(AppSettings::lastOpenLocation, &store)) {}

OpenDialog::~OpenDialog() {
    delete m_dialog;
}

void OpenDialog::show(const QString& folder) {
    if (m_dialog)
        m_dialog->deleteLater();
    m_dialog = new QFileDialog(nullptr, QStringLiteral("Choose an image"));
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);

    const QString documents = documentsFolder();
    if (m_lastOpenLocation.value().isEmpty() && !documents.isEmpty())
        m_lastOpenLocation = documents;
    // Without a Documents folder the dialog still appears, in the home
    // folder: a launch without a file would otherwise show nothing at all.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        m_dialog->setDirectory(folder);
    else
        m_dialog->setDirectory(documents.isEmpty() ? homeFolder() : documents);
    m_dialog->setFileMode(QFileDialog::ExistingFile);
    m_dialog->setAcceptMode(QFileDialog::AcceptOpen);
    m_dialog->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    m_dialog->setNameFilter(openDialogNameFilter(acceptedExtensions()));
    m_dialog->setModal(false);
    QFileDialog* dialog = m_dialog;
    connect(dialog, &QFileDialog::finished, this, [this, dialog](int result) {
        const QStringList chosen = dialog->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty())
            Q_EMIT fileChosen(chosen.first());
        // After the dialog has hidden: with nothing chosen, nothing is left.
        QTimer::singleShot(0, this, &OpenDialog::closed);
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
