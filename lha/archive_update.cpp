#include "archive_update.h"

#include "crc16.h"
#include "error.h"
#include "file_io.h"
#include "header_reader.h"
#include "header_writer.h"
#include "source_files.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <optional>
#include <unistd.h>

namespace lha {
namespace {

constexpr std::size_t kReadChunk = 1 << 18;

// Thrown by the sink when the packed data is no smaller than the original.
struct NotSmaller {};

class LimitedSink : public ByteSink {
public:
    LimitedSink(ArchiveOutput& out, std::uint64_t limit) : out_(out), limit_(limit) {}
    void write(const std::uint8_t* data, std::size_t size) override {
        written_ += size;
        if (written_ >= limit_) throw NotSmaller{};
        out_.write(data, size);
    }
    std::uint64_t written() const { return written_; }

private:
    ArchiveOutput& out_;
    std::uint64_t limit_;
    std::uint64_t written_ = 0;
};

std::string keyOf(const std::string& path, bool fullPath) {
    if (fullPath) return path;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Archived names compared as the archive's origin system compares them: names from DOS and
// Windows tools (and from level-0/1 headers that give no system) without regard to ASCII
// case, others exactly. The paths are UTF-8, so folding ASCII never touches a multibyte
// character.
bool ignoresCase(const ArchiveEntry& e) {
    return e.osId == 'M' || e.osId == 'W' || (e.level <= 1 && e.osId == 0);
}

std::string foldAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Slots by name: an exact name first, then one that matches regardless of case.
class NameIndex {
public:
    void add(const std::string& key, bool ignoreCase, std::size_t slot) {
        if (ignoreCase)
            folded_.emplace(foldAscii(key), slot);
        else
            exact_.emplace(key, slot);
    }
    std::optional<std::size_t> find(const std::string& key) const {
        if (auto it = exact_.find(key); it != exact_.end()) return it->second;
        if (auto it = folded_.find(foldAscii(key)); it != folded_.end()) return it->second;
        return std::nullopt;
    }

private:
    std::map<std::string, std::size_t> exact_, folded_;
};

std::uint32_t clampTime(std::int64_t t) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(t, 0, 0xFFFFFFFFll));
}

// The archive path to write: a symbolic link is followed, so that the link stays a link.
std::string resolveTarget(const PathArg& archive) {
    std::string path = archive.fs;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            path = real;
            std::free(real);
        }
    }
    return path;
}

class Packer {
public:
    Packer(ArchiveOutput& out, const Lh5Tuning& tuning) : out_(out), encoder_(tuning) {}

    // Writes one entry for `src` and returns the method used; or, when the file cannot be
    // read whole as it was, writes nothing and returns null with the reason.
    const char* pack(const SourceFile& src, std::string_view& leftOut) {
        const std::uint64_t headerAt = out_.position();
        try {
            return packFile(src);
        } catch (const LeftOut& e) {
            out_.truncate(headerAt);
            leftOut = e.reason;
            return nullptr;
        }
    }

private:
    struct LeftOut {
        std::string_view reason;
    };

    const char* packFile(const SourceFile& src) {
        // Only a regular file, opened without waiting (a FIFO put in its place meanwhile).
        OpenedFile opened = openRegularFile(src.fsPath);
        if (!opened.fd) throw LeftOut{opened.error == ENOENT ? "missing" : "unreadable"};
        FileDescriptor fd = std::move(opened.fd);
        const struct stat st = opened.st;
        if (static_cast<std::uint64_t>(st.st_size) > 0xFFFFFFFFull)
            throw LhaError(UNLHA_ERROR_NOT_SUPPORTED,
                           "files of 4 GiB or more cannot be packed: " + src.storedPath);
        const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);

        NewHeader h;
        h.path = src.storedPath;
        h.mtime = clampTime(st.st_mtime);
        h.attribute = dosAttribute(fd.get(), st);
        const std::uint64_t headerAt = out_.position();
        auto header = buildLevel2Header(h);
        out_.write(header.data(), header.size());
        const std::uint64_t dataAt = out_.position();

        std::uint16_t crc = 0;
        std::uint64_t packed = 0;
        bool compressed = false;
        if (size > 0) {
            LimitedSink sink(out_, size);
            try {
                encoder_.begin(sink, size);
                std::uint64_t total = 0;
                while (const std::size_t n = readSome(fd.get(), total, size, src)) {
                    crc = crc16(crc, buffer_, n);
                    encoder_.write(reinterpret_cast<std::uint8_t*>(buffer_), n);
                    total += n;
                }
                encoder_.finish();
                checkUnchanged(fd.get(), st, total, src);
                compressed = true;
                packed = sink.written();
            } catch (const NotSmaller&) {
            }
        }
        if (!compressed && size > 0) {
            // Store the bytes as they are.
            out_.truncate(dataAt);
            crc = 0;
            std::uint64_t total = 0;
            if (::lseek(fd.get(), 0, SEEK_SET) != 0) readError(src);
            while (const std::size_t n = readSome(fd.get(), total, size, src)) {
                crc = crc16(crc, buffer_, n);
                out_.write(buffer_, n);
                total += n;
            }
            checkUnchanged(fd.get(), st, total, src);
            packed = size;
        }
        completeLevel2Header(header, compressed ? "-lh5-" : "-lh0-",
                             static_cast<std::uint32_t>(packed), static_cast<std::uint32_t>(size),
                             crc);
        out_.writeAt(headerAt, header.data(), header.size());
        return compressed ? "-lh5-" : "-lh0-";
    }

    // Reads the next chunk of a file of `size` bytes into buffer_; 0 at the end. Reading
    // stops at the size found by fstat (no extra read for the end): growth meanwhile is
    // caught by checkUnchanged().
    std::size_t readSome(int fd, std::uint64_t done, std::uint64_t size, const SourceFile& src) {
        if (done >= size) return 0;
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kReadChunk, size - done));
        const long long n = readFull(fd, buffer_, want);
        if (n < 0) readError(src);
        return static_cast<std::size_t>(n);
    }

    [[noreturn]] static void readError(const SourceFile&) { throw LeftOut{"unreadable"}; }

    static void checkUnchanged(int fd, const struct stat& before, std::uint64_t total,
                               const SourceFile&) {
        struct stat after;
        if (::fstat(fd, &after) != 0 || total != static_cast<std::uint64_t>(before.st_size) ||
            after.st_size != before.st_size || after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
            after.st_mtim.tv_nsec != before.st_mtim.tv_nsec)
            throw LeftOut{"changed while packing"};
    }

    ArchiveOutput& out_;
    Lh5Encoder encoder_;
    char buffer_[kReadChunk];
};

void copyEntry(int fd, const ArchiveEntry& e, ArchiveOutput& out, std::vector<char>& buf) {
    std::uint64_t done = 0;
    while (done < e.span) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), e.span - done));
        const long long n = preadFull(fd, buf.data(), want, e.offset + done);
        if (n < 0)
            throw LhaError(UNLHA_ERROR_ARC_FILE_OPEN,
                           errnoMessage("cannot read the archive", errno));
        if (static_cast<std::size_t>(n) != want)
            throw LhaError(UNLHA_ERROR_HEADER_BROKEN, "the archive ends inside an entry");
        out.write(buf.data(), want);
        done += want;
    }
}

struct Slot {
    std::optional<std::size_t> entry;  // old entry, copied unless a source replaces it
    std::optional<std::size_t> source; // file to pack here
};

} // namespace

UpdateStats updateArchive(const CommandLine& cl, OutputLog& log, const Lh5Tuning& tuning,
                          const OutputFactory& makeOutput) {
    const char mode = cl.command;
    const std::string target = resolveTarget(cl.archive);
    if (target.empty()) throw LhaError(UNLHA_ERROR_NO_FILENAME, "no archive name given");
    if (target.ends_with('/'))
        throw LhaError(UNLHA_ERROR_NO_FILENAME, "the archive name is a folder: " + target);

    // The old archive, when there is one.
    struct stat oldStat;
    const bool exists = ::stat(target.c_str(), &oldStat) == 0;
    if (!exists && errno != ENOENT)
        throw LhaError(UNLHA_ERROR_ARC_FILE_OPEN, errnoMessage("cannot open " + target, errno));
    if (exists && !S_ISREG(oldStat.st_mode))
        throw LhaError(UNLHA_ERROR_NOT_ARC_FILE, target + " is not a file");
    if (!exists && mode == 'f')
        throw LhaError(UNLHA_ERROR_ARC_FILE_OPEN, "archive not found: " + target);
    FileDescriptor oldFd;
    std::vector<ArchiveEntry> entries;
    if (exists) {
        // Checked again on the open file: it may have been replaced since stat().
        OpenedFile opened = openRegularFile(target);
        if (opened.notRegular) throw LhaError(UNLHA_ERROR_NOT_ARC_FILE, target + " is not a file");
        if (!opened.fd)
            throw LhaError(UNLHA_ERROR_ARC_FILE_OPEN,
                           errnoMessage("cannot open " + target, opened.error));
        oldFd = std::move(opened.fd);
        oldStat = opened.st;
        entries = readArchive(oldFd.get(), static_cast<std::uint64_t>(oldStat.st_size));
    }

    if (cl.names.empty()) throw LhaError(UNLHA_ERROR_NO_FILENAME, "no files to pack given");
    Collected collected = collectSources(cl);
    for (auto& w : collected.warnings)
        log.note("warning: " + w);

    // Decide, per file, whether it is added, replaces an entry, or is left out.
    const bool fullPath = cl.switches.p >= 1;
    std::vector<Slot> slots;
    NameIndex byKey;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        slots.push_back({i, std::nullopt});
        if (!entries[i].isDirectory)
            byKey.add(keyOf(entries[i].path, fullPath), ignoresCase(entries[i]), i);
    }
    UpdateStats stats;
    for (std::size_t i = 0; i < collected.files.size(); ++i) {
        const SourceFile& f = collected.files[i];
        if (exists && f.st.st_dev == oldStat.st_dev && f.st.st_ino == oldStat.st_ino) {
            log.note("warning: the archive itself is not packed: " + f.storedPath);
            continue;
        }
        // storedPath is already the name as it reads back from the header written for it.
        const auto found = byKey.find(keyOf(f.storedPath, fullPath));
        if (!found) {
            if (mode == 'f') {
                log.detail("not in archive " + f.storedPath);
                continue;
            }
            // New entries are written as a Windows tool writes them (OS id 'M').
            byKey.add(keyOf(f.storedPath, fullPath), kOsId == 'M', slots.size());
            slots.push_back({std::nullopt, i});
            ++stats.added;
            continue;
        }
        Slot& slot = slots[*found];
        if (slot.source) {
            log.note("warning: packed once, same name as an earlier file: " + f.storedPath);
            continue;
        }
        bool replace = mode == 'a' || cl.switches.c >= 1;
        if (!replace) {
            const ArchiveEntry& e = entries[*slot.entry];
            // Compare in the precision of the archived stamp (DOS stamps have 2 seconds).
            const std::int64_t fileTime =
                e.dosTime ? dosTimeToUnix(unixToDosTime(f.st.st_mtime)) : f.st.st_mtime;
            replace = e.mtime < fileTime;
        }
        if (replace) {
            slot.source = i;
            ++stats.replaced;
        } else {
            log.detail("not newer   " + f.storedPath);
            ++stats.notNewer;
        }
    }

    if (stats.added == 0 && stats.replaced == 0) {
        if (!exists && collected.files.empty())
            throw LhaError(UNLHA_ERROR_NOT_EXIST, "no files to pack");
        if (!exists) throw LhaError(UNLHA_ERROR_NOT_EXIST, "nothing to pack into a new archive");
        stats.unchanged = static_cast<unsigned>(entries.size());
        log.note("archive unchanged: " + std::to_string(entries.size()) + " entries");
        return stats;
    }

    std::unique_ptr<ArchiveOutput> out =
        makeOutput ? makeOutput(target, exists ? &oldStat : nullptr)
                   : std::make_unique<TempFileOutput>(target, exists ? &oldStat : nullptr);
    try {
        auto packer = std::make_unique<Packer>(*out, tuning);
        std::vector<char> copyBuf(kReadChunk);
        bool packedAny = false;
        for (const Slot& slot : slots) {
            if (slot.source) {
                const SourceFile& f = collected.files[*slot.source];
                std::string_view leftOut;
                if (const char* method = packer->pack(f, leftOut)) {
                    log.detail(std::string(slot.entry ? "replaced " : "added    ") + method + " " +
                               f.storedPath);
                    packedAny = true;
                    continue;
                }
                log.note("warning: " + leftOutText(leftOut, f.name));
                --(slot.entry ? stats.replaced : stats.added);
                if (slot.entry) { // the archived copy stays
                    copyEntry(oldFd.get(), entries[*slot.entry], *out, copyBuf);
                    ++stats.unchanged;
                }
            } else {
                copyEntry(oldFd.get(), entries[*slot.entry], *out, copyBuf);
                ++stats.unchanged;
            }
        }
        if (!packedAny) {
            // Every file was left out: the old archive stays as it was, and no archive is
            // made of nothing.
            out->abort();
            if (!exists) throw LhaError(UNLHA_ERROR_NOT_EXIST, "no file could be packed");
            stats.unchanged = static_cast<unsigned>(entries.size());
            log.note("archive unchanged: " + std::to_string(entries.size()) + " entries");
            return stats;
        }
        const std::uint8_t endMark = 0;
        out->write(&endMark, 1);
        out->commit();
    } catch (...) {
        out->abort();
        throw;
    }
    stats.written = true;
    log.note(std::to_string(stats.added) + " added, " + std::to_string(stats.replaced) +
             " replaced, " + std::to_string(stats.unchanged) + " unchanged: " + target);
    return stats;
}

} // namespace lha
