#pragma once

#include <QList>
#include <QString>

// What a path handed to the program (command line, another launch, a drop)
// resolves to: an image file to open, or the reason it cannot be opened.
struct OpenRequest {
    QString path;  // absolute path of the image to open
    QString error; // empty when path is usable
    bool ok() const { return error.isEmpty(); }
};

// A file must exist, be readable, carry an accepted extension (any letter
// case) and begin like an image Fennic reads. A folder opens its first image
// in display order. file:// URLs are accepted as well as plain paths.
OpenRequest resolveOpenRequest(const QString& argument);

// The line printed for a path that cannot be opened:
// "fennic: cannot open 'PATH': REASON", PATH as printableName gives it.
QString cannotOpenMessage(const QString& argument, const QString& reason);

// A path handed over that could not be opened, and why.
struct Refusal {
    QString argument;
    QString reason;
};

// What the person at the screen is told about refused paths: one line each,
// “NAME” cannot be opened: REASON, the name as a file manager shows it.
QString refusalText(const QList<Refusal>& refusals);
