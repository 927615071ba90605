// The short report written into the caller's output buffer.
#pragma once

#include "codepage.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lha {

class OutputLog {
public:
    // Per-file lines: dropped from the end (with a count) when the buffer is too small.
    void detail(std::string line) { details_.push_back(std::move(line)); }
    // Warnings, errors and the summary: always shown, after the details.
    void note(std::string line) { notes_.push_back(std::move(line)); }

    // The report in `codePage`, at most capacity - 1 bytes, cut between characters.
    std::string render(std::size_t capacity, CodePage codePage) const;

    const std::vector<std::string>& details() const { return details_; }
    // Notes that name a file left out of the archive (kLeftOutPrefix).
    std::size_t leftOutCount() const;
    const std::vector<std::string>& notes() const { return notes_; }

private:
    std::vector<std::string> details_;
    std::vector<std::string> notes_;
};

// A file left out of the archive is one note: kLeftOutPrefix, the reason, ": ", the name
// (see unlha32.h). leftOutText() gives it without the leading "warning: ".
inline constexpr std::string_view kLeftOutPrefix = "warning: left out: ";
std::string leftOutText(std::string_view reason, std::string_view name);
// The name with bytes 0x00-0x1F, 0x7F and "%" written as %XX, so it stays on one line.
std::string escapeName(std::string_view name);

// Cuts `text` to at most `max` bytes without splitting a character of `codePage`.
std::string cutText(const std::string& text, std::size_t max, CodePage codePage);

} // namespace lha
