/* A recording stand-in for the LHA archiver library. Built in several variants (see
 * CMakeLists.txt). Every load, unload and call is appended to the file named by
 * MV_FAKE_UNLHA_LOG, and so is each line of a response file ("@name" in quotes) as it is at
 * the call; Unlha returns the number in MV_FAKE_UNLHA_RESULT (0 when unset). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#ifndef FAKE_VERSION
#define FAKE_VERSION 267
#endif

static void logLine(const char* kind, const char* text) {
    const char* path = getenv("MV_FAKE_UNLHA_LOG");
    if (!path || !*path) return;
    FILE* f = fopen(path, "ab");
    if (!f) return;
    fprintf(f, "%s%s\n", kind, text ? text : "");
    fclose(f);
}

__attribute__((constructor)) static void loaded(void) {
    logLine("load", NULL);
}
__attribute__((destructor)) static void unloaded(void) {
    logLine("unload", NULL);
}

#ifdef FAKE_PROGRESS
typedef int (*ArchiverProc)(void* window, unsigned message, unsigned state, void* lpEis);
static ArchiverProc gProc;

int UnlhaSetOwnerWindowEx(void* window, ArchiverProc proc) {
    (void)window;
    gProc = proc;
    logLine("setowner", NULL);
    return 1;
}

int UnlhaKillOwnerWindowEx(void* window) {
    (void)window;
    gProc = NULL;
    logLine("killowner", NULL);
    return 1;
}
#endif

#ifndef FAKE_NO_MAIN
static void logResponseFile(const char* cmdLine) {
    const char* at = strstr(cmdLine, "\"@");
    if (!at) return;
    char path[4096];
    const char* end = strchr(at + 2, '"');
    size_t n = end ? (size_t)(end - at - 2) : strlen(at + 2);
    if (n >= sizeof path) return;
    memcpy(path, at + 2, n);
    path[n] = 0;
    FILE* f = fopen(path, "rb");
    if (!f) {
        logLine("res-missing", NULL);
        return;
    }
    char line[4096];
    while (fgets(line, sizeof line, f)) {
        line[strcspn(line, "\r\n")] = 0;
        logLine("res ", line);
    }
    fclose(f);
}

int Unlha(void* owner, const char* cmdLine, char* output, unsigned long size) {
    char info[128];
    snprintf(info, sizeof info, "size=%lu null=%d owner=%d", size, output == NULL, owner != NULL);
    logLine("call ", info);
    logLine("cmd ", cmdLine);
    logResponseFile(cmdLine);
#ifdef FAKE_PROGRESS
    if (gProc) {
        /* A progress record whose source name is "entry.url"; a zero answer aborts. */
        char record[1100];
        memset(record, 0, sizeof record);
        strcpy(record + 8, "entry.url");
        if (!gProc(NULL, 0, 1, record)) {
            logLine("aborted", NULL);
            return 0x8020;
        }
    }
#endif
    if (output && size > 0) {
        strncpy(output, "fake: ok", size - 1);
        output[size - 1] = 0;
    }
    const char* result = getenv("MV_FAKE_UNLHA_RESULT");
    return result ? atoi(result) : 0;
}
#endif

#ifndef FAKE_NO_RUNNING
int UnlhaGetRunning(void) {
#ifdef FAKE_BUSY
    return 1;
#else
    return 0;
#endif
}
#endif

unsigned short UnlhaGetVersion(void) {
    return FAKE_VERSION;
}
