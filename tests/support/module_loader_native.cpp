#include "support/module_loader.h"

#include <dlfcn.h>

void* OpenModule(const std::string& path, std::string* error)
{
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module && error) {
        const char* reason = dlerror();
        *error = reason ? reason : "dlopen failed: " + path;
    }
    return module;
}

void* FindModuleSymbol(void* module, const char* name)
{
    return dlsym(module, name);
}

void CloseModule(void* module)
{
    dlclose(module);
}
