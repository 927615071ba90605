#pragma once
// Run-time loading of shared libraries. A Windows library name such as "UNLHA32.DLL" is
// looked up as "libunlha32.so", first beside the executable, then on the loader's path.

#include <string>

namespace mv::library {

using Handle = void*;

// The Linux file name for a library name: lower case, ".dll" dropped, "lib" and ".so" added.
std::string mapName(const std::string& windowsName);

// nullptr when the library cannot be loaded.
Handle load(const std::string& windowsName);
void* symbol(Handle handle, const char* name);
bool release(Handle handle);

// The running executable's full path, and its folder (no trailing "/").
std::string executablePath();
std::string executableFolder();

// Looks in `folder` instead of the executable's folder (tests); empty restores the default.
void setSearchFolderForTesting(const std::string& folder);

} // namespace mv::library
