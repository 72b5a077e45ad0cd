#include "analytics/sdk/HttpPoster.h"

#include <curl/curl.h>

#include <stdexcept>

namespace analytics_sdk {

namespace {
size_t AppendBody(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}
} // namespace

HttpPoster::HttpPoster(std::string serverUrl) : serverUrl_(std::move(serverUrl)) {}

HttpResponse HttpPoster::Post(const std::string& body) const {
    CURL* curl = curl_easy_init();
    if (!curl) throw std::runtime_error("Couldn't initialize curl handle");
    HttpResponse response;
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, serverUrl_.c_str());
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response.body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    const CURLcode result = curl_easy_perform(curl);
    if (result != CURLE_OK) {
        response.status = -1;
        response.body = error[0] ? error : curl_easy_strerror(result);
    } else {
        long code = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
        response.status = static_cast<int>(code);
    }
    curl_easy_reset(curl);
    curl_easy_cleanup(curl);
    return response;
}

} // namespace analytics_sdk
