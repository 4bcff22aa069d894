#pragma once

#include <QString>
#include <QStringList>

// fennic [FILE|FOLDER...]     open each in its own window
// fennic --list FOLDER        print the folder's images in display order
// fennic --info FILE...       print each file's details as one JSON line
struct CommandLine {
    enum class Mode { Open, List, Info, Help, Version };
    Mode mode = Mode::Open;
    QStringList paths;
    QString error; // a usage error; empty when the line is valid
};

// args excludes the program name.
CommandLine parseCommandLine(const QStringList& args);
QString usageText();

// Prints the folder's image names, one per line. Exit status 0, or 1 with the
// reason on standard error when the folder cannot be listed.
int runListCommand(const QString& folder);
