#include "archive_output.h"

#include "error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace lha {
namespace {

constexpr std::size_t kBufferSize = 1 << 18;

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int errorCodeFor(int err) {
    switch (err) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return UNLHA_ERROR_DISK_SPACE;
    case EROFS:
    case EACCES:
    case EPERM:
        return UNLHA_ERROR_READ_ONLY;
    default:
        return UNLHA_ERROR_CANNOT_WRITE;
    }
}

} // namespace

TempFileOutput::TempFileOutput(const std::string& target, const struct stat* oldStat)
    : target_(target) {
    buffer_.reserve(kBufferSize);
    const std::string folder = folderOf(target);
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(rd()));
        // Hidden, and unlike any archive name, so that a search for *.lzh never meets it.
        std::string path = folder + "/." + fileNameOf(target) + "." + suffix + ".tmp";
        // Mode 0666 lets the umask decide for a new archive, as for any new file.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fd_.reset(fd);
            tempPath_ = std::move(path);
            break;
        }
        if (errno != EEXIST) {
            const int err = errno;
            throw LhaError(err == EACCES || err == EROFS || err == EPERM ? UNLHA_ERROR_READ_ONLY
                                                                         : UNLHA_ERROR_TMP_OPEN,
                           errnoMessage("cannot create a temporary file in " + folder, err));
        }
    }
    if (!fd_)
        throw LhaError(UNLHA_ERROR_TMP_OPEN, "cannot find a free temporary name in " + folder);
    if (oldStat != nullptr) {
        // Keep the old archive's owner and permissions. Only root may give a file away, so a
        // failed chown is normal and the new archive then belongs to the caller.
        const bool sameOwner = ::fchown(fd_.get(), oldStat->st_uid, oldStat->st_gid) == 0;
        ::fchmod(fd_.get(), oldStat->st_mode & (sameOwner ? 07777 : 0777));
    }
}

TempFileOutput::~TempFileOutput() {
    if (!committed_) abort();
}

void TempFileOutput::fail(const std::string& what, int err) {
    throw LhaError(errorCodeFor(err), errnoMessage(what, err));
}

void TempFileOutput::writeToFile(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_.get(), p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("cannot write " + tempPath_, errno);
        }
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
}

void TempFileOutput::flush() {
    if (buffer_.empty()) return;
    writeToFile(flushed_, buffer_.data(), buffer_.size());
    flushed_ += buffer_.size();
    buffer_.clear();
}

void TempFileOutput::write(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (buffer_.size() + size > kBufferSize) {
        flush();
        if (size >= kBufferSize) {
            writeToFile(flushed_, p, size);
            flushed_ += size;
            return;
        }
    }
    buffer_.insert(buffer_.end(), p, p + size);
}

void TempFileOutput::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (offset >= flushed_ && offset + size <= position()) {
        std::memcpy(&buffer_[offset - flushed_], data, size);
        return;
    }
    flush();
    writeToFile(offset, data, size);
}

void TempFileOutput::truncate(std::uint64_t size) {
    if (size >= flushed_) {
        buffer_.resize(size - flushed_);
        return;
    }
    buffer_.clear();
    if (::ftruncate(fd_.get(), static_cast<off_t>(size)) != 0)
        fail("cannot truncate " + tempPath_, errno);
    flushed_ = size;
}

void TempFileOutput::commit() {
    flush();
    if (::fsync(fd_.get()) != 0) fail("cannot sync " + tempPath_, errno);
    if (fd_.close() != 0) fail("cannot close " + tempPath_, errno);
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) fail("cannot replace " + target_, errno);
    committed_ = true;
    // The rename itself becomes durable with the folder.
    FileDescriptor dir(::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) ::fsync(dir.get());
}

void TempFileOutput::abort() noexcept {
    if (committed_ || tempPath_.empty()) return;
    fd_.reset();
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

} // namespace lha
