#pragma once
// Test seam for the calls whose effect cannot be seen from outside (flushes, the order of
// rename and flush, what a comparison reads). syscall_shim.cpp replaces fsync, rename,
// renameat2, read, fsetxattr and fchmod in the one test executable it is linked into: every call is
// forwarded to the C library, recorded, and can be made to fail.

#include <functional>
#include <sys/stat.h>
#include <vector>

namespace shim {

struct Event {
    enum Kind { FsyncFile, FsyncFolder, Rename } kind;
    dev_t dev = 0; // of the flushed file or folder
    ino_t ino = 0;
};

// Everything recorded since the last reset().
const std::vector<Event>& events();

// errno to fail a flush of this file or folder with, 0 to let it through.
inline std::function<int(const struct stat&)> fsyncFault;
// errno to fail this rename (rename and renameat2 alike) with, 0 to let it through.
inline std::function<int(const char* from, const char* to)> renameFault;
// errno to fail setting this extended attribute with, 0 to let it through.
inline std::function<int(const char* name)> xattrFault;
// errno to fail a change of mode with, 0 to let it through.
inline std::function<int(mode_t mode)> chmodFault;
// True to hand back the bytes read from this descriptor with the first one changed.
inline std::function<bool(int fd)> corruptRead;

// Clears the record and every fault.
void reset();

} // namespace shim
