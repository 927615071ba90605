// The exported C entry points; everything else in the library is hidden.
#include "unlha32.h"

#include "run.h"

#define UNLHA_EXPORT __attribute__((visibility("default")))

extern "C" {

UNLHA_EXPORT int Unlha(void* /*owner*/, const char* cmdLine, char* output, unsigned long size) {
    return lha::runCommand(cmdLine, output, size);
}

UNLHA_EXPORT unsigned short UnlhaGetVersion(void) {
    return lha::kVersion;
}

UNLHA_EXPORT int UnlhaGetRunning(void) {
    return lha::runningCalls() > 0 ? 1 : 0;
}
}
