#include "tests/analytics/CollectorClient.h"

#include <windows.h>

#include <curl/curl.h>

#include <sstream>

namespace CollectorClient {

namespace {
std::string Environment(const char* name) {
    char buffer[64] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    return length > 0 && length < sizeof(buffer) ? std::string(buffer, length) : std::string();
}

size_t Append(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

bool Get(const std::string& path, std::string& body) {
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    const std::string url = BaseUrl() + path;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    return result == CURLE_OK && status == 200;
}

std::string After(const std::string& line, const std::string& prefix) {
    return line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : std::string();
}
} // namespace

std::string Record::Json(const std::string& path) const {
    const auto it = fields.find(path);
    return it == fields.end() ? std::string() : it->second;
}

std::string Record::Text(const std::string& path) const {
    const std::string json = Json(path);
    if (json.size() < 2 || json.front() != '"' || json.back() != '"') return std::string();
    std::string out;
    for (size_t i = 1; i + 1 < json.size(); ++i) {
        char c = json[i];
        if (c == '\\' && i + 2 < json.size()) {
            const char e = json[++i];
            c = e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == 'b' ? '\b' : e == 'f' ? '\f' : e;
        }
        out += c;
    }
    return out;
}

std::vector<std::string> Record::Keys(const std::string& prefix) const {
    std::vector<std::string> keys;
    for (const auto& field : fields) {
        if (field.first.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = field.first.substr(prefix.size());
        if (rest.find('.') == std::string::npos) keys.push_back(rest);
    }
    return keys;
}

bool Available() {
    return !Environment("VELQUOR_COLLECTOR_PORT").empty();
}

std::string BaseUrl() {
    const bool tls = Environment("VELQUOR_COLLECTOR_TLS") == "1";
    return std::string(tls ? "https" : "http") + "://127.0.0.1:" + Environment("VELQUOR_COLLECTOR_PORT");
}

std::string ServerUrl() {
    return BaseUrl() + "/sa?project=pc";
}

bool SetMode(const std::string& mode) {
    std::string body;
    return Get("/control?mode=" + mode, body);
}

bool Reset() {
    std::string body;
    return Get("/reset", body);
}

std::vector<Request> Requests() {
    std::vector<Request> requests;
    std::string body;
    if (!Get("/log", body)) return requests;
    std::istringstream lines(body);
    std::string line;
    Record* record = nullptr;
    while (std::getline(lines, line)) {
        if (line.compare(0, 8, "request ") == 0) {
            requests.emplace_back();
            record = nullptr;
            const size_t answered = line.find("answered=");
            requests.back().answered = std::atoi(line.c_str() + answered + 9);
            requests.back().decoded = line.find("ok=1") != std::string::npos;
            requests.back().stalled = line.find("stalled=1") != std::string::npos;
            continue;
        }
        if (requests.empty()) continue;
        Request& request = requests.back();
        if (line.compare(0, 7, "record ") == 0) {
            request.records.emplace_back();
            record = &request.records.back();
        } else if (line == "end") {
            record = nullptr;
        } else if (!record) {
            if (line.compare(0, 3, "ua=") == 0) request.userAgent = After(line, "ua=");
            else if (line.compare(0, 5, "done=") == 0) request.done = After(line, "done=") == "1";
            else if (line.compare(0, 13, "content-type=") == 0) request.contentType = After(line, "content-type=");
            else if (line.compare(0, 6, "query=") == 0) request.query = After(line, "query=");
            else if (line.compare(0, 6, "batch=") == 0) request.batch = After(line, "batch=");
            else if (line.compare(0, 6, "error=") == 0) request.error = After(line, "error=");
        } else if (line.compare(0, 4, "raw=") == 0) {
            record->raw = After(line, "raw=");
        } else {
            const size_t equals = line.find('=');
            if (equals != std::string::npos) record->fields[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return requests;
}

std::vector<Record> AllRecords(const std::vector<Request>& requests) {
    std::vector<Record> all;
    for (const auto& request : requests) all.insert(all.end(), request.records.begin(), request.records.end());
    return all;
}

} // namespace CollectorClient
