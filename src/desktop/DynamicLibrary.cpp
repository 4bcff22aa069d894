#include "desktop/DynamicLibrary.h"

#include <dlfcn.h>

namespace dynamiclibrary {

void* open(const char* soname, QString* error) {
    void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = dlerror();
        *error = text ? QString::fromLocal8Bit(text)
                      : QStringLiteral("%1 cannot be opened").arg(QLatin1String(soname));
    }
    return handle;
}

void* symbol(void* handle, const char* name, QString* error) {
    dlerror(); // clears an older error, so that the text below is about this call
    void* address = dlsym(handle, name);
    if (!address) {
        const char* text = dlerror();
        *error = text ? QString::fromLocal8Bit(text)
                      : QStringLiteral("%1 has no address").arg(QLatin1String(name));
    }
    return address;
}

void close(void* handle) {
    if (handle)
        dlclose(handle);
}

} // namespace dynamiclibrary
