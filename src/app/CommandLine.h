#pragma once

#include "desktop/files/PrintableName.h"

#include <QString>
#include <QStringList>

// fennic [FILE|FOLDER...]     open each in its own window
// fennic --list FOLDER        print the folder's images in display order
// fennic --info FILE...       print each file's details as one JSON line
// fennic --gapplication-service   (D-Bus activation) wait for the desktop's call
struct CommandLine {
    enum class Mode { Open, List, Info, Help, Version };
    Mode mode = Mode::Open;
    QStringList paths;
    // Paths whose bytes are not UTF-8, as printableName gives them. Qt 6 reads
    // every file name as UTF-8, so no QString reaches these files.
    QStringList undecodablePaths;
    QString error; // a usage error; empty when the line is valid
    // --gapplication-service: started by D-Bus activation (the service
    // file's Exec line); take the bus name and wait for Activate or Open.
    bool gapplicationService = false;
};

// args excludes the program name.
CommandLine parseCommandLine(const QStringList& args);
// The program's own arguments (argv[0] is skipped), decoded as Qt decodes file names.
CommandLine parseCommandLine(int argc, const char* const* argv);
QString usageText();

// Prints "fennic: cannot open 'PATH': REASON" for each undecodable path of the
// line; answers the exit status for them: 0 when there were none, else 1.
int reportUndecodablePaths(const CommandLine& line);

// Prints the folder's image names, one per line (see printableName). Exit
// status 0, or 1 with the reason on standard error when the folder cannot be listed.
int runListCommand(const QString& folder);
