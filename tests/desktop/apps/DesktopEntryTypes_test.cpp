// The desktop entry and the software-centre metadata offer Fennic for
// exactly the file types it opens, as the system's MIME database names them.
#include "desktop/files/FolderListing.h"

#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

QString resource(const char* name) {
    return QStringLiteral(FENNIC_SOURCE_DIR "/resources/desktop/") + QString::fromLatin1(name);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

QSet<QString> desktopMimeTypes() {
    const QString text = QString::fromUtf8(readFile(resource("org.fennic.Fennic.desktop")));
    const QRegularExpressionMatch line =
        QRegularExpression(QStringLiteral("^MimeType=(.*)$"), QRegularExpression::MultilineOption)
            .match(text);
    EXPECT_TRUE(line.hasMatch());
    const QStringList types = line.captured(1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return QSet<QString>(types.begin(), types.end());
}

QSet<QString> metainfoMediaTypes() {
    const QString text = QString::fromUtf8(readFile(resource("org.fennic.Fennic.metainfo.xml")));
    QSet<QString> types;
    auto it =
        QRegularExpression(QStringLiteral("<mediatype>([^<]+)</mediatype>")).globalMatch(text);
    while (it.hasNext())
        types << it.next().captured(1);
    return types;
}

TEST(DesktopEntryTypes, CoverEveryAcceptedExtensionAndNothingElse) {
    const QSet<QString> listed = desktopMimeTypes();
    ASSERT_FALSE(listed.isEmpty());
    const QMimeDatabase mime;
    QSet<QString> needed;
    for (const QString& extension : fileExtenstionsAccepted()) {
        const QMimeType type = mime.mimeTypeForFile(QStringLiteral("photo.") + extension,
                                                    QMimeDatabase::MatchExtension);
        ASSERT_FALSE(type.isDefault()) << "no MIME type for ." << extension.toStdString();
        QStringList names = type.aliases();
        names.prepend(type.name());
        const bool covered = std::any_of(
            names.begin(), names.end(), [&](const QString& name) { return listed.contains(name); });
        EXPECT_TRUE(covered) << "." << extension.toStdString() << " (" << type.name().toStdString()
                             << ") is missing from MimeType";
        needed << type.name();
    }
    // Each listed type is one of those, or another name the database gives it.
    for (const QString& name : listed) {
        const QMimeType type = mime.mimeTypeForName(name);
        ASSERT_TRUE(type.isValid()) << name.toStdString() << " is unknown to the MIME database";
        EXPECT_TRUE(needed.contains(type.name()))
            << name.toStdString() << " is listed but no accepted extension has it";
    }
    EXPECT_EQ(metainfoMediaTypes(), listed);
}

} // namespace
