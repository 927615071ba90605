#pragma once
// How failures travel in this program. Inside, a call that can fail returns a
// std::error_code (empty on success); at the window boundary a handler ends with mv::Error,
// whose text the error box shows. Failures that are dropped on purpose go through
// ignoreFailure, so a silence is always a decision and never an oversight.

#include <QString>

#include <cerrno>
#include <exception>
#include <string>
#include <system_error>

namespace mv {

class Error : public std::exception {
public:
    explicit Error(QString text) : text_(std::move(text)), utf8_(text_.toStdString()) {}
    const QString& text() const { return text_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString text_;
    std::string utf8_;
};

// The code of the system call that just failed (EIO when it left errno at 0).
inline std::error_code lastError() {
    return std::error_code(errno ? errno : EIO, std::generic_category());
}

// Why a call failed, in the user's words ("アクセスが拒否されました。"); a code without a text
// of its own is shown with its number and the system's wording.
QString reasonText(std::error_code ec);

// "%s に書き込めません" with the path shown as the user sees it.
Error cannotWriteError(const std::string& path);

// "<path>: <reason>", for a call on one file or folder that failed.
Error fileError(const std::string& path, std::error_code ec);

// Drops the failure of something that is allowed to fail. `why` names the reason at the call
// site; it is there for the reader.
inline void ignoreFailure(const char* why, std::error_code ec) {
    static_cast<void>(why);
    static_cast<void>(ec);
}

// Runs `fn` and drops whatever it throws, for work that must never end its caller (painting,
// cleanup that runs while another error unwinds, a drop that ends quietly by design).
template <typename Fn> void ignoreFailure(const char* why, Fn&& fn) noexcept {
    static_cast<void>(why);
    try {
        fn();
    } catch (...) {
        // Dropped on purpose; see `why` at the call site.
    }
}

} // namespace mv
