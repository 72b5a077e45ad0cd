#pragma once
// The tracker's only internal error; it never leaves the library.
#include <exception>
#include <string>

namespace tandry {
namespace tracking {

class QzException : public std::exception {
public:
    QzException(std::string message, const char* file, const char* function, int line);

    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& file() const { return file_; }
    const std::string& function() const { return function_; }
    int line() const { return line_; }

private:
    std::string message_;
    std::string file_;
    std::string function_;
    int line_ = 0;
};

} // namespace tracking
} // namespace tandry

#define QZ_THROW(message) throw ::tandry::tracking::QzException((message), __FILE__, __func__, __LINE__)
