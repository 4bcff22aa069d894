#include "desktop/apps/ExternalEditor.h"

#include "desktop/apps/DesktopEntry.h"
#include "desktop/apps/DesktopExec.h"

#include <QFileInfo>
#include <QProcess>

namespace ExternalEditor {
namespace {

std::optional<DesktopEntry> installedEntry() {
    const QString file = findDesktopFile(desktopId);
    if (file.isEmpty())
        return std::nullopt;
    auto entry = readDesktopEntry(file);
    if (!entry || !isLaunchable(*entry))
        return std::nullopt;
    return entry;
}

} // namespace

bool isInstalled() {
    return installedEntry().has_value();
}

bool open(const QString& filePath) {
    const auto entry = installedEntry();
    if (!entry)
        return false;
    // An absolute path can never be taken for an option of the editor.
    const auto command = commandForFile(*entry, QFileInfo(filePath).absoluteFilePath());
    if (!command)
        return false;
    const QString folder = entry->string(QStringLiteral("Path"));
    return QProcess::startDetached(command->program, command->arguments,
                                   QFileInfo(folder).isDir() ? folder : QString());
}

} // namespace ExternalEditor
