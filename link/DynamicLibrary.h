#pragma once
#include <string>

// A shared library loaded by name at run time (dlopen on Linux, LoadLibrary on Windows).
// The library is never unloaded: the driver stays bound until the program ends.
class DynamicLibrary {
public:
    // False when the library cannot be loaded; Error() then says why, in the system's words.
    bool Load(const std::string& name);
    bool IsLoaded() const { return handle_ != nullptr; }
    // The address of an exported function, or nullptr when the library lacks it.
    void* FindSymbol(const char* name) const;
    // The file the loader took, with the folder it found it in; "" when nothing is loaded.
    std::string Path() const;
    const std::string& Error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};
