#include "analytics/source/src/QzException.h"

namespace tandry {
namespace tracking {

QzException::QzException(std::string message, const char* file, const char* function, int line)
    : message_(std::move(message)), file_(file ? file : ""), function_(function ? function : ""), line_(line) {}

} // namespace tracking
} // namespace tandry
