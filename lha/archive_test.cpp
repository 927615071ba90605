#include "archive_test.h"

#include "crc16.h"
#include "error.h"
#include "file_io.h"
#include "header_reader.h"
#include "lh5_decoder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace lha {

TestStats testArchive(const CommandLine& cl, OutputLog& log) {
    FileDescriptor fd(::open(cl.archive.fs.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        throw LhaError(UNLHA_ERROR_ARC_FILE_OPEN,
                       errnoMessage("cannot open " + cl.archive.utf8, errno));
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw LhaError(UNLHA_ERROR_NOT_ARC_FILE, cl.archive.utf8 + " is not a file");
    const auto entries = readArchive(fd.get(), static_cast<std::uint64_t>(st.st_size));

    TestStats stats;
    std::vector<std::uint8_t> packed, data;
    for (const ArchiveEntry& e : entries) {
        if (e.isDirectory) {
            ++stats.passed;
            continue;
        }
        unsigned dictBits = 0;
        if (e.method == "-lh5-")
            dictBits = 13;
        else if (e.method == "-lh6-")
            dictBits = 15;
        else if (e.method == "-lh7-")
            dictBits = 16;
        else if (e.method != "-lh0-" && e.method != "-lz4-") {
            log.note("cannot test " + e.method + " " + e.path);
            ++stats.untested;
            continue;
        }
        packed.resize(e.packedSize);
        const long long n = preadFull(fd.get(), packed.data(), packed.size(), e.dataOffset);
        if (n != static_cast<long long>(packed.size()))
            throw LhaError(UNLHA_ERROR_HEADER_BROKEN, "cannot read the data of " + e.path);
        std::string error;
        data.clear();
        bool ok = true;
        if (dictBits == 0) {
            ok = e.packedSize == e.originalSize;
            data = packed;
            if (!ok) error = "stored sizes differ";
        } else {
            ok = decodeLzh(dictBits, packed, e.originalSize, data, error);
        }
        if (ok && crc16(0, data.data(), data.size()) != e.crc) {
            ok = false;
            error = "CRC mismatch";
        }
        if (ok) {
            log.detail("ok     " + e.path);
            ++stats.passed;
        } else {
            log.note("FAILED " + e.path + ": " + error);
            ++stats.failed;
        }
    }
    log.note(std::to_string(stats.passed) + " entries ok, " + std::to_string(stats.failed) +
             " failed, " + std::to_string(stats.untested) + " untested");
    if (stats.failed) throw LhaError(UNLHA_ERROR_DATA_CRC, "the archive has damaged entries");
    if (stats.untested)
        throw LhaError(UNLHA_ERROR_NOT_SUPPORTED, "some entries use methods that cannot be tested");
    return stats;
}

} // namespace lha
