#include "download/CurlDownloader.h"

#include <cstdio>

#include "utils/Log.h"
#include "utils/Md5.h"
#include "utils/Text.h"

CCurlDownloader::CCurlDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& targetPath)
    : CDownloader(std::move(callback), url, targetPath),
      m_client(url, targetPath, this, &CCurlDownloader::OnClientProgress),
      m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    // Resuming happens only between attempts of one downloader.
    std::remove(Utils::ToNarrow(m_client.GetFilePath(true), CP_ACP).c_str());
}

CCurlDownloader::~CCurlDownloader() {
    m_stopping = true;
    m_client.Stop();
    if (m_stopEvent) ::SetEvent(m_stopEvent);
    m_threads.Close();
    if (m_stopEvent) ::CloseHandle(m_stopEvent);
}

void CCurlDownloader::Start() {
    m_threads.StartWorker([this] { dlThreadFun(); });
}

void CCurlDownloader::Notify(int code, double value, const wchar_t* text) {
    if (m_stopping || !m_callback) return;
    m_callback(code, value, text);
}

void CCurlDownloader::OnClientProgress(void* owner, double speed, double, double percent) {
    auto* self = static_cast<CCurlDownloader*>(owner);
    if (speed > 0.0 && percent <= 100.0) self->Notify(DL_CODE_PROGRESS, percent / 100.0, L"");
}

void CCurlDownloader::dlThreadFun() {
    Notify(DL_CODE_START, 1.0, L"");
    if (m_targetPath.empty()) {
        Notify(DL_CODE_FAIL, 1.0, L"");
        return;
    }
    int result = m_client.Start();
    int budget = kRetryBudget;
    while (result != 0) {
        if (m_stopping) return;
        budget -= (result == CURLE_PARTIAL_FILE) ? 1 : 2;
        if (budget <= 0) {
            Notify(DL_CODE_FAIL, static_cast<double>(result), L"LibCurl");
            return;
        }
        LogLine(L"CurlDownLoader Code=%d", result);
        if (::WaitForSingleObject(m_stopEvent, kRetryPauseMs) == WAIT_OBJECT_0) return;
        result = m_client.Start();
    }

    const std::string expected = Utils::UrlParentSegment(m_client.GetRealUrl());
    if (expected.size() == 32) {
        const std::string actual = Utils::FileMd5Hex(Utils::ToNarrow(m_targetPath, CP_ACP));
        if (actual.size() == 32 && actual != expected) {
            Notify(DL_CODE_MD5_NOTICE, 0.0, L"curl文件md5校验失败");
            if (m_retryUsed) {
                Notify(DL_CODE_FAIL, 0.0, L"LibCurl");
            } else {
                m_retryUsed = true;
                Notify(DL_CODE_RETRY, 0.0, L"LibCurl");
            }
            return;
        }
    } else {
        Notify(DL_CODE_MD5_NOTICE, 0.0, L"curl获取url-md5失败");
    }
    Notify(DL_CODE_SUCCESS, 0.0, L"LibCurl");
}
