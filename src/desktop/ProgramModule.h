#pragma once

#include <QString>
#include <QStringList>

// The program's own modules (fennic-*.so, built beside it): each holds the
// one part that links a library only some actions need, opened with the
// first of them. Linked into the program, such a library would be loaded
// before main() on every start, and by a launch that only hands its files
// to the running instance.
namespace programmodule {

// Where modules are looked for, first to last: $FENNIC_MODULE_DIR, the
// program's folder (a build tree) and the program's folder joined with the
// installed layout's relative path to it.
QStringList folders();

struct Entry {
    void* address = nullptr;
    QString error; // why there is none
};

// The exported function `symbol` of the module file `fileName`, from the
// first of folders that holds that file. `what` names the module in the
// reason given when none does ("the printing module is not installed …").
Entry open(const QStringList& folders, const char* fileName, const char* symbol,
           const QString& what);

// open() from folders(), kept once it worked; a failed load is tried again
// by the next call (a package installed meanwhile). Main thread only.
Entry entry(const char* fileName, const char* symbol, const QString& what);

} // namespace programmodule
