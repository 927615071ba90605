// The error every stage throws; Unlha() turns it into its result code and a log line.
#pragma once

#include "unlha32.h"

#include <stdexcept>
#include <string>

namespace lha {

class LhaError : public std::runtime_error {
public:
    LhaError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// Message for errno with a prefix, e.g. "cannot open a.url: Permission denied".
std::string errnoMessage(const std::string& what, int err);

} // namespace lha
