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

} // namespace dynamiclibrary
