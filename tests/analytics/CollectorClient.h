#pragma once
// The test side of tools/collector: its address, its answer modes and what
// it received, decoded and parsed by the collector itself.
#include <map>
#include <string>
#include <vector>

namespace CollectorClient {

struct Record {
    std::string raw;                            // the record's exact JSON text
    std::map<std::string, std::string> fields;  // "properties.qz_name" -> "\"Next\""

    bool Has(const std::string& path) const { return fields.count(path) != 0; }
    // The JSON text of a value, empty when absent.
    std::string Json(const std::string& path) const;
    // A string value without its quotes (escapes \" \\ \n \t \r undone).
    std::string Text(const std::string& path) const;
    // Keys directly under a prefix such as "properties.".
    std::vector<std::string> Keys(const std::string& prefix) const;
};

struct Request {
    int answered = 0;
    bool decoded = false;
    bool stalled = false;  // answered late on purpose
    bool done = false;     // the collector has finished answering it
    std::string userAgent;
    std::string contentType;
    std::string query;
    std::string batch;
    std::string error;
    std::vector<Record> records;
};

bool Available();
// "http://127.0.0.1:PORT/sa?project=pc" (https with the TLS collector).
std::string ServerUrl();
std::string BaseUrl();
// ok | status:N | redirect | stall:S | slowfail:S | drop
bool SetMode(const std::string& mode);
bool Reset();
std::vector<Request> Requests();
// Every record of every request, in arrival order.
std::vector<Record> AllRecords(const std::vector<Request>& requests);

} // namespace CollectorClient
