#pragma once
// The single-stream downloader: one CurlClient on an "ABDEF" worker, retried
// with a budget that is gentler on interrupted transfers, checked against
// the MD5 digest carried in the real address.
#include <windows.h>

#include <atomic>

#include "download/CurlClient.h"
#include "download/Downloader.h"
#include "download/ThreadGroup.h"

class CCurlDownloader : public CDownloader {
public:
    static constexpr int kRetryBudget = 12;
    static constexpr DWORD kRetryPauseMs = 500;

    CCurlDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& targetPath);
    // Aborts a running transfer, waits for the worker and sends nothing more.
    ~CCurlDownloader() override;

    void Start() override;

    // The worker body.
    void dlThreadFun();
    // The client's progress function.
    static void OnClientProgress(void* owner, double speed, double reserved, double percent);

private:
    void Notify(int code, double value, const wchar_t* text);

    CurlClient m_client;
    bool m_retryUsed = false;
    std::atomic<bool> m_stopping{false};
    HANDLE m_stopEvent;
    ThreadGroup m_threads;
};
