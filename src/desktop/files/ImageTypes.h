#pragma once

#include <QLatin1StringView>
#include <QStringList>
#include <QStringView>

// The image types this program opens, named by MIME type, and the file name
// extensions that stand for them. One list serves the folder listing, the
// command line, the open dialog and the default-application registration.

// The MIME types (the names the shared MIME database gives them), in the
// order the first launch registers them.
const QStringList& openedMimeTypes();

// The camera raw types among them, in the same order.
const QStringList& cameraRawMimeTypes();
// The extensions of camera raw files, lower case, without the dot: those of
// the raw types and of the raw formats the MIME database has no type for.
const QStringList& cameraRawExtensions();

// Every extension of those types, lower case, without the dot, each once:
// the shared MIME database's, and the few that not every release of it has.
const QStringList& acceptedExtensions();

// True when the extension (without the dot) is accepted, in any letter case.
// Only ASCII letters fold, so that a name's bytes and its text agree.
bool isAcceptedExtension(QStringView extension);
bool isAcceptedExtension(QLatin1StringView extension);
