#include "app/CommandLine.h"

#include "platform/FolderListing.h"

#include <cstdio>

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine line;
    bool optionsEnded = false;
    for (const QString& arg : args) {
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg == QLatin1String("--list")) {
            line.mode = CommandLine::Mode::List;
        } else if (!optionsEnded && arg == QLatin1String("--info")) {
            line.mode = CommandLine::Mode::Info;
        } else if (!optionsEnded &&
                   (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            line.mode = CommandLine::Mode::Help;
            return line;
        } else if (!optionsEnded && arg == QLatin1String("--version")) {
            line.mode = CommandLine::Mode::Version;
            return line;
        } else if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            line.error = QStringLiteral("unknown option '%1'").arg(arg);
            return line;
        } else {
            line.paths << arg;
        }
    }
    if (line.mode == CommandLine::Mode::List && line.paths.size() != 1)
        line.error = QStringLiteral("--list takes exactly one folder");
    else if (line.mode == CommandLine::Mode::Info && line.paths.isEmpty())
        line.error = QStringLiteral("--info takes one or more files");
    return line;
}

QString usageText() {
    return QStringLiteral("Usage: fennic [FILE|FOLDER...]\n"
                          "       fennic --list FOLDER\n"
                          "       fennic --info FILE...\n"
                          "Opens each image in its own window; a folder opens its first image.\n");
}

int runListCommand(const QString& folder) {
    const FolderListing listing = listImagesInFolder(folder);
    if (!listing.ok()) {
        std::fprintf(stderr, "fennic: cannot list '%s': %s\n", qUtf8Printable(folder),
                     qUtf8Printable(listing.error));
        return 1;
    }
    for (const QString& name : listing.names)
        std::printf("%s\n", qUtf8Printable(name));
    return 0;
}
