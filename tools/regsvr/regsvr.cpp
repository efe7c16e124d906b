// regsvr [-u] <library>: loads a component library and calls its
// registration (or, with -u, unregistration) entry point.

#include <cstdio>
#include <cstring>

#include <dlfcn.h>

namespace {

using EntryPoint = int (*)();

int usage()
{
    std::fprintf(stderr, "uso: regsvr [-u] <libreria>\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    bool unregister = false;
    const char *library = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-u") == 0)
            unregister = true;
        else if (!library)
            library = argv[i];
        else
            return usage();
    }
    if (!library)
        return usage();

    void *handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "regsvr: impossibile caricare %s: %s\n", library, dlerror());
        return 1;
    }
    const char *name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, name));
    if (!entry) {
        std::fprintf(stderr, "regsvr: %s non esporta %s\n", library, name);
        dlclose(handle);
        return 1;
    }
    const int result = entry();
    dlclose(handle);
    if (result != 0) {
        std::fprintf(stderr, "regsvr: %s di %s non riuscito (0x%08X)\n", name, library,
                     static_cast<unsigned>(result));
        return 1;
    }
    std::printf("regsvr: %s di %s eseguito\n", name, library);
    return 0;
}
