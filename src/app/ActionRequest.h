#pragma once

#include "viewer/WindowCommands.h"

#include <QString>
#include <QVariantList>
#include <QVariantMap>

// A window command asked for by name, as D-Bus ActivateAction gives it.
struct ActionRequest {
    WindowCommand command = WindowCommand::ignoreKey;
    QString key;          // the window meant
    QVariantMap userInfo; // "uuid", and "value" where one was given
    QString error;        // why the request is refused; empty when it stands
    bool ok() const { return error.isEmpty(); }
};

// Reads an action's name and parameter: empty (the current window), a window
// key, a window key and a value, or a map with "uuid" (and "value"). An
// empty parameter is for currentKey. Whether that window exists is the
// caller's to check.
ActionRequest readActionRequest(const QString& name, const QVariantList& parameter,
                                const QString& currentKey);
