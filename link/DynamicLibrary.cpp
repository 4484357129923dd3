#include "link/DynamicLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#endif

bool DynamicLibrary::Load(const std::string& name)
{
#if defined(_WIN32)
    handle_ = reinterpret_cast<void*>(LoadLibraryA(name.c_str()));
    if (!handle_)
        error_ = "LoadLibrary failed with error " + std::to_string(GetLastError());
#else
    handle_ = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        error_ = reason ? reason : "dlopen failed";
    }
#endif
    return handle_ != nullptr;
}

void* DynamicLibrary::FindSymbol(const char* name) const
{
    if (!handle_)
        return nullptr;
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

std::string DynamicLibrary::Path() const
{
    if (!handle_)
        return "";
#if defined(_WIN32)
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(handle_), path, MAX_PATH);
    return std::string(path, length);
#else
    link_map* map = nullptr;
    if (dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name)
        return "";
    return map->l_name;
#endif
}
