#pragma once
// The multi-part downloader: the real address and length once, at most two
// byte ranges fetched into part files "_0"/"_1" on their own threads, joined,
// checked against the MD5 in the real address, and restarted once as a whole.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <curl/curl.h>

#include "download/Downloader.h"
#include "download/ThreadGroup.h"

// One byte range of the package.
struct DownloadPartNode {
    DownloadPartNode() = default;
    DownloadPartNode(const DownloadPartNode&) = delete;
    DownloadPartNode& operator=(const DownloadPartNode&) = delete;

    FILE* partFile = nullptr;    // "ab+"
    int32_t nextOffset = 0;      // absolute offset of the next byte to write
    int32_t lastOffset = -1;     // absolute offset of the range's last byte
    CURL* transfer = nullptr;    // reused by every attempt of the part
    std::string url;
    std::string partFilePath;
    int32_t status = -1;         // 0 complete, -1 to fetch, -2 part file unusable, else the last result
    std::atomic<int64_t> downloaded{0};  // bytes of the range present, resumed ones included
};

class CMTCurlDownloader : public CDownloader {
public:
    static constexpr int32_t kPartUnit = 10485760;  // 10 MiB
    static constexpr int kMaxParts = 2;
    static constexpr int kRetryBudget = 12;
    static constexpr DWORD kRetryPauseMs = 400;
    static constexpr DWORD kPartStartGapMs = 100;
    static constexpr DWORD kFinishPollMs = 200;
    static constexpr long kReceiveBufferSize = 512 * 1024;

    CMTCurlDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& targetPath);
    // Aborts running parts, waits for every thread of the downloader and sends nothing more.
    ~CMTCurlDownloader() override;

    void Start() override;

    void Start_Down();
    bool getRealDownloadUrl(const std::string& url);
    int downloadExe(DownloadPartNode* part);
    static void downloadThreadFun(CMTCurlDownloader* downloader, DownloadPartNode* part);
    static void waitForFinishThreadFun(CMTCurlDownloader* downloader);
    static size_t WritePart(char* data, size_t size, size_t count, void* part);
    static int OnPartProgress(void* downloader, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                              curl_off_t ulnow);
    void ClearParts();
    void DeletePartFiles();

    // Sizes of the ranges a file of this length is split into.
    static std::vector<int32_t> PartSizes(int32_t fileLength);

    const std::string& GetRealUrl() const { return m_realUrl; }
    int32_t GetFileLength() const { return m_fileLength; }

private:
    void Notify(int code, double value, const wchar_t* text);
    static int ProbeProgress(void* downloader, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    std::string PartPath(int index) const;

    std::vector<std::unique_ptr<DownloadPartNode>> m_parts;
    std::string m_narrowTarget;
    std::string m_realUrl;
    int32_t m_fileLength = -1;
    std::string m_expectedMd5;
    std::mutex m_progressLock;  // last percent and last progress second
    double m_lastPercent = 0.0;
    std::atomic<int32_t> m_runningParts{0};
    int64_t m_lastProgressSecond = 0;
    bool m_retryUsed = false;
    std::atomic<bool> m_stopping{false};
    HANDLE m_stopEvent;
    ThreadGroup m_threads;
};
