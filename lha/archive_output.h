// Destination of a new archive. The real one is a temporary file beside the target that is
// synced and renamed over it on commit; tests substitute outputs that fail.
#pragma once

#include "file_io.h"

#include <cstdint>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace lha {

class ArchiveOutput {
public:
    virtual ~ArchiveOutput() = default;
    // All of these throw LhaError on failure.
    virtual void write(const void* data, std::size_t size) = 0;
    virtual std::uint64_t position() const = 0;
    // Overwrites bytes already written (headers completed after their data).
    virtual void writeAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
    // Drops everything from `size` on (an entry re-stored after compression did not pay).
    virtual void truncate(std::uint64_t size) = 0;
    // Makes the new archive durable and puts it in place of the target.
    virtual void commit() = 0;
    // Removes every trace of the new archive; never throws.
    virtual void abort() noexcept = 0;
};

// `target` is the archive path; `oldStat`, when the archive exists, gives the mode and owner
// the new file takes over.
class TempFileOutput : public ArchiveOutput {
public:
    TempFileOutput(const std::string& target, const struct stat* oldStat);
    ~TempFileOutput() override;

    void write(const void* data, std::size_t size) override;
    std::uint64_t position() const override { return flushed_ + buffer_.size(); }
    void writeAt(std::uint64_t offset, const void* data, std::size_t size) override;
    void truncate(std::uint64_t size) override;
    void commit() override;
    void abort() noexcept override;

    const std::string& tempPath() const { return tempPath_; }

protected:
    // The one place bytes reach the file; a test double can fail here.
    virtual void writeToFile(std::uint64_t offset, const void* data, std::size_t size);
    // Throws the LhaError for a failed system call (ENOSPC -> UNLHA_ERROR_DISK_SPACE, ...).
    [[noreturn]] void fail(const std::string& what, int err);

private:
    void flush();

    std::string target_;
    std::string tempPath_;
    FileDescriptor fd_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t flushed_ = 0;
    bool committed_ = false;
};

} // namespace lha
