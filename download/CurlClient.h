#pragma once
// One file over HTTP(S) with libcurl: the real address behind redirects, a
// plausible announced length, resume into "<file>.part", throttled progress
// to the owner, and the final rename.
#include <atomic>
#include <cstdint>
#include <string>

#include <curl/curl.h>

class CurlClient {
public:
    // (owner, speed in bytes per second, reserved (always 0.0), percent 0..100)
    using ProgressFunction = void (*)(void* owner, double speed, double reserved, double percent);

    // Local results of Start besides libcurl's own codes.
    // The finished part file could not take the target's name (for example a
    // folder or a locked file stands there): no package, so no success.
    static constexpr int kRenameFailed = -995;
    static constexpr int kPartFileFailed = -996;
    static constexpr int kNoTransfer = -997;
    static constexpr int kNoLength = -998;

    // The smallest announced length a package may have.
    static constexpr double kMinimumLength = 1048576.0;
    // Receive buffer of every download transfer: loopback and fast links are
    // limited by libcurl's small default buffer long before the network.
    static constexpr long kReceiveBufferSize = 512 * 1024;
    // A transfer slower than this many bytes per second for kLowSpeedSeconds ends with code 28.
    static constexpr long kLowSpeedBytes = 1;
    static constexpr long kLowSpeedSeconds = 30;

    CurlClient(const std::wstring& url, const std::wstring& filePath, void* owner,
               ProgressFunction progress = nullptr);
    // Removes the part file. The owner stops and waits for a running Start first.
    ~CurlClient();
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    std::wstring GetFilePath(bool withPartSuffix) const;

    // 0 when the file is complete at the file path; a libcurl code, or
    // kPartFileFailed / kNoTransfer / kNoLength. Blocks; call again to resume.
    int Start();

    // Header-only request that follows redirects; the caller destroys the handle.
    CURL* Head(const std::string& url);
    double GetDownloadFileLength(CURL* transfer);
    double GetDownloadFileLength_Str(const std::string& url);
    std::string GetRealUrl_Str(const std::string& url);

    static int ProgressCallback(void* client, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                                curl_off_t ulnow);

    // Makes a running Start (or a probe) end at its next progress call.
    void Stop() { m_stop = true; }

    // The address after redirects, UTF-8; empty until a probe learnt it.
    const std::string& GetRealUrl() const { return m_realUrl; }
    double GetFileLength() const { return m_fileLength; }
    int64_t GetResumeOffset() const { return m_resumeOffset; }

private:
    // Makes a handle for a header-only request with the options every probe shares.
    CURL* NewProbe(const std::string& url, CURLcode& result);
    static void ReportLengthFailure(long responseCode, bool withGroup);
    static int ProbeProgress(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    std::wstring m_url;
    std::wstring m_filePath;
    void* m_owner;
    CURL* m_transfer = nullptr;
    ProgressFunction m_progress;
    double m_fileLength = -1.0;
    int64_t m_resumeOffset = -1;
    int64_t m_lastProgressSecond = 0;
    std::atomic<bool> m_stop{false};
    std::string m_realUrl;
};
