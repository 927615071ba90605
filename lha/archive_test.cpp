#include "archive_test.h"

#include "crc16.h"
#include "error.h"
#include "file_io.h"
#include "header_reader.h"
#include "lh5_decoder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace lha {
namespace {

// The packed bytes of one entry, read in pieces.
class EntrySource : public ByteSource {
public:
    EntrySource(int fd, const ArchiveEntry& e) : fd_(fd), at_(e.dataOffset) {}
    std::size_t read(std::uint8_t* buf, std::size_t max) override {
        const long long n = preadFull(fd_, buf, max, at_);
        if (n < 0)
            throw LhaError(UNLHA_ERROR_ARC_FILE_OPEN,
                           errnoMessage("cannot read the archive", errno));
        at_ += static_cast<std::uint64_t>(n);
        return static_cast<std::size_t>(n);
    }

private:
    int fd_;
    std::uint64_t at_;
};

// Takes the decoded bytes: their CRC and count, nothing kept.
class CrcSink : public ByteSink {
public:
    void write(const std::uint8_t* data, std::size_t size) override {
        crc = crc16(crc, data, size);
        count += size;
    }
    std::uint16_t crc = 0;
    std::uint64_t count = 0;
};

unsigned dictBitsOf(const std::string& method) {
    if (method == "-lh5-") return 13;
    if (method == "-lh6-") return 15;
    if (method == "-lh7-") return 16;
    return 0;
}

// Checks one entry's data against its size and CRC; returns an error text, empty when good.
std::string checkEntry(int fd, const ArchiveEntry& e) {
    EntrySource in(fd, e);
    CrcSink sink;
    if (const unsigned dictBits = dictBitsOf(e.method)) {
        std::string error;
        if (!decodeLzh(dictBits, in, e.packedSize, e.originalSize, sink, error)) return error;
    } else {
        if (e.packedSize != e.originalSize) return "stored sizes differ";
        std::array<std::uint8_t, 1 << 16> buf;
        for (std::uint64_t left = e.packedSize; left > 0;) {
            const std::size_t n = in.read(
                buf.data(), static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), left)));
            if (n == 0) return "data cannot be read to its end";
            sink.write(buf.data(), n);
            left -= n;
        }
    }
    return sink.crc == e.crc ? std::string() : "CRC mismatch";
}

} // namespace

TestStats testArchive(const CommandLine& cl, OutputLog& log) {
    // Non-blocking, so that a FIFO put in the archive's place cannot hold the call.
    FileDescriptor fd(::open(cl.archive.fs.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        throw LhaError(UNLHA_ERROR_ARC_FILE_OPEN,
                       errnoMessage("cannot open " + cl.archive.utf8, errno));
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw LhaError(UNLHA_ERROR_NOT_ARC_FILE, cl.archive.utf8 + " is not a file");
    const auto entries = readArchive(fd.get(), static_cast<std::uint64_t>(st.st_size));

    TestStats stats;
    for (const ArchiveEntry& e : entries) {
        if (e.isDirectory) {
            ++stats.passed;
            continue;
        }
        if (dictBitsOf(e.method) == 0 && e.method != "-lh0-" && e.method != "-lz4-") {
            log.note("cannot test " + e.method + " " + e.path);
            ++stats.untested;
            continue;
        }
        const std::string error = checkEntry(fd.get(), e);
        if (error.empty()) {
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
