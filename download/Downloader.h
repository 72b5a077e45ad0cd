#pragma once
// The contract every downloader (and every pipeline worker) reports through.
#include <functional>
#include <memory>
#include <string>

// (code, value, text); text is never null and valid only during the call.
using StatusCallback = std::function<void(int code, double value, const wchar_t* text)>;

enum DownloadStatus : int {
    DL_CODE_START = 1001,
    DL_CODE_PROGRESS = 1002,
    DL_CODE_SUCCESS = 1003,
    DL_CODE_FAIL = 1004,
    DL_CODE_RETRY = 1005,
    DL_CODE_MD5_NOTICE = 1006,
};

class CDownloader {
public:
    CDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& targetPath)
        : m_callback(std::move(callback)), m_url(url), m_targetPath(targetPath) {}
    virtual ~CDownloader() = default;
    CDownloader(const CDownloader&) = delete;
    CDownloader& operator=(const CDownloader&) = delete;

    // Begins (or begins again) the download on the downloader's worker and returns at once.
    virtual void Start() = 0;

protected:
    StatusCallback m_callback;
    std::wstring m_url;
    std::wstring m_targetPath;
};

// The downloader of a configured download type: 2 the system URL service,
// 3 multi-part, any other value single-stream.
std::unique_ptr<CDownloader> CreateDownloader(int downloadType, StatusCallback callback, const std::wstring& url,
                                              const std::wstring& targetPath);
