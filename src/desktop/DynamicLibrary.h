#pragma once

#include <QString>

// Shared libraries opened at run time, for dependencies only some files need:
// loading them at start-up would run their initialisers before main() on
// every launch.
namespace dynamiclibrary {

// Opens soname with RTLD_NOW | RTLD_LOCAL; null with dlerror's text on failure.
void* open(const char* soname, QString* error);

// The address of a function in an opened library; null with the reason on failure.
void* symbol(void* handle, const char* name, QString* error);

// Stores the address of `name` into `function`; false with the reason on failure.
template <typename Function>
bool resolve(void* handle, const char* name, Function*& function, QString* error) {
    function = reinterpret_cast<Function*>(symbol(handle, name, error));
    return function != nullptr;
}

void close(void* handle);

// Opens soname and resolves every function of Library, a table of function
// pointers that lists them through forEachFunction(visit) as
// visit("name", member). On any failure the table is empty and its error
// says "<feature> support is not available: <reason>". A library that loaded
// stays loaded.
template <typename Library> Library loadLibrary(const char* soname, const QString& feature) {
    Library library;
    QString error;
    void* handle = open(soname, &error);
    bool resolved = handle != nullptr;
    library.forEachFunction([&](const char* name, auto*& function) {
        resolved = resolved && resolve(handle, name, function, &error);
    });
    if (!resolved) {
        close(handle);
        library = Library();
        library.error = QStringLiteral("%1 support is not available: %2").arg(feature, error);
    }
    return library;
}

} // namespace dynamiclibrary

// For the function tables: FENNIC_..._FUNCTIONS(X) lists the names once, and
// these turn each into a member of that name and into a visit of it.
#define FENNIC_DECLARE_LIBRARY_FUNCTION(name) decltype(&::name) name = nullptr;
#define FENNIC_VISIT_LIBRARY_FUNCTION(name) visit(#name, name);
// The body of a function table: one member per listed function, the visit
// that loadLibrary resolves them through, and the reason when it could not
// (empty when every function is there).
#define FENNIC_LIBRARY_TABLE(FUNCTIONS)                                                            \
    FUNCTIONS(FENNIC_DECLARE_LIBRARY_FUNCTION)                                                     \
    template <typename Visit>                                                                      \
    void forEachFunction(Visit&& visit){FUNCTIONS(FENNIC_VISIT_LIBRARY_FUNCTION)} QString error;   \
    bool ok() const {                                                                              \
        return error.isEmpty();                                                                    \
    }
