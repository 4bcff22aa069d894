#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct DesktopEntry;

// Splits an Exec value (string escapes already resolved) into arguments by
// the desktop entry quoting rules: spaces separate, double quotes group, and
// inside them \" \` \$ \\ stand for the character. Nothing when a quote is
// left open.
std::optional<QStringList> splitExec(const QString& exec);

struct ExecCommand {
    QString program;
    QStringList arguments;
};

// The program and arguments that open one file with the entry: %f %F give
// the path, %u %U its file:// URL, %i "--icon ICON", %c the name, %k the
// entry's file, %% a percent sign; deprecated codes are dropped. Without
// any file code the path is added at the end. The file text is never parsed
// again, so no character in it can change the command.
std::optional<ExecCommand> commandForFile(const DesktopEntry& entry, const QString& filePath);
