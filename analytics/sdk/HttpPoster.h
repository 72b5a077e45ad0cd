#pragma once
// One POST per call, each on a fresh libcurl easy handle.
#include <string>

namespace analytics_sdk {

struct HttpResponse {
    int status = -1;   // -1 when the transfer itself failed
    std::string body;  // on a failed transfer, libcurl's error text
};

class HttpPoster {
public:
    static constexpr const char* kUserAgent = "Analytics CPP SDK 0.9";
    static constexpr long kTimeoutSeconds = 3;

    explicit HttpPoster(std::string serverUrl);

    // Raises std::runtime_error when no libcurl handle can be made.
    HttpResponse Post(const std::string& body) const;

    const std::string& ServerUrl() const { return serverUrl_; }

private:
    std::string serverUrl_;
};

} // namespace analytics_sdk
