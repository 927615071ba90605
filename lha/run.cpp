#include "run.h"

#include "archive_test.h"
#include "archive_update.h"
#include "command_line.h"
#include "error.h"
#include "file_io.h"
#include "output_log.h"

#include <atomic>
#include <cstring>
#include <new>

namespace lha {
namespace {

std::atomic<int> gRunning{0};

struct RunningGuard {
    RunningGuard() { gRunning.fetch_add(1, std::memory_order_acq_rel); }
    ~RunningGuard() { gRunning.fetch_sub(1, std::memory_order_acq_rel); }
};

} // namespace

int runningCalls() {
    return gRunning.load(std::memory_order_acquire);
}

int runCommand(const char* cmdLine, char* output, std::size_t size) {
    RunningGuard running;
    if (output != nullptr && size > 0) output[0] = 0;
    CodePage cp = CodePage::Utf8;
    OutputLog log;
    int result = 0;
    try {
        cp = processCodePage();
        if (cmdLine == nullptr) throw LhaError(UNLHA_ERROR_COMMAND, "no command line");
        const CommandLine cl = parseCommandLine(cmdLine, cp);
        for (const auto& w : cl.warnings)
            log.note("warning: " + w);
        if (cl.switches.workFolder)
            log.note("note: -w ignored; the temporary file is written beside the archive");
        if (cl.command == 't') {
            // A FIFO or device would hold the call for ever; refuse it before reading.
            const OpenedFile archive = openRegularFile(cl.archive.fs);
            if (archive.notRegular)
                throw LhaError(UNLHA_ERROR_NOT_ARC_FILE, cl.archive.utf8 + " is not a file");
            if (!archive.fd)
                throw LhaError(UNLHA_ERROR_ARC_FILE_OPEN,
                               errnoMessage("cannot open " + cl.archive.utf8, archive.error));
            testArchive(cl, log);
        } else {
            updateArchive(cl, log);
            if (const std::size_t n = log.leftOutCount()) {
                log.note(std::to_string(n) + (n == 1 ? " file" : " files") + " left out");
                result = UNLHA_PARTIAL;
            }
        }
    } catch (const LhaError& e) {
        log.note(std::string("error: ") + e.what());
        result = e.code();
    } catch (const std::bad_alloc&) {
        log.note("error: out of memory");
        result = UNLHA_ERROR_NO_MEMORY;
    } catch (const std::exception& e) {
        log.note(std::string("error: ") + e.what());
        result = UNLHA_ERROR_INTERNAL;
    } catch (...) {
        log.note("error: unexpected failure");
        result = UNLHA_ERROR_INTERNAL;
    }
    if (output != nullptr && size > 0) {
        try {
            const std::string text = log.render(size, cp);
            std::memcpy(output, text.c_str(), text.size() + 1);
        } catch (...) {
            output[0] = 0;
        }
    }
    return result;
}

} // namespace lha
