#pragma once
// The error a handler raises to end itself with a message for the user.

#include <QString>

#include <exception>
#include <string>

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

// "%s に書き込めません" with the path shown as the user sees it.
Error cannotWriteError(const std::string& path);

} // namespace mv
