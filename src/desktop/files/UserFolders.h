#pragma once

#include <QString>

// The user's Documents folder (XDG user-dirs), or an empty text when it does
// not exist on disk.
QString documentsFolder();
QString homeFolder();
