#include "download/WinDownloader.h"

#include "utils/Text.h"

HRESULT CWinDownloader::CBindCallback::QueryInterface(REFIID, void**) {
    return E_NOTIMPL;
}
ULONG CWinDownloader::CBindCallback::AddRef() {
    return 0;
}
ULONG CWinDownloader::CBindCallback::Release() {
    return 0;
}
HRESULT CWinDownloader::CBindCallback::OnStartBinding(DWORD, IBinding* binding) {
    m_binding = binding;
    return E_NOTIMPL;
}
HRESULT CWinDownloader::CBindCallback::GetPriority(LONG*) {
    return E_NOTIMPL;
}
HRESULT CWinDownloader::CBindCallback::OnLowResource(DWORD) {
    return E_NOTIMPL;
}
HRESULT CWinDownloader::CBindCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) {
    if (m_cancel) return E_ABORT;
    if (progressMax == 0) return S_OK;
    if (m_callback) {
        m_callback(DL_CODE_PROGRESS, static_cast<double>(progress) / static_cast<double>(progressMax), L"");
    }
    return S_OK;
}
HRESULT CWinDownloader::CBindCallback::OnStopBinding(HRESULT, LPCWSTR) {
    return E_NOTIMPL;
}
HRESULT CWinDownloader::CBindCallback::GetBindInfo(DWORD*, BINDINFO* info) {
    if (info) info->dwCodePage = CP_UTF8;
    return E_NOTIMPL;
}
HRESULT CWinDownloader::CBindCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}
HRESULT CWinDownloader::CBindCallback::OnObjectAvailable(REFIID, IUnknown*) {
    return E_NOTIMPL;
}
HRESULT CWinDownloader::CBindCallback::GetBindInfoEx(DWORD*, BINDINFO*, DWORD*, DWORD*) {
    return E_NOTIMPL;
}
CWinDownloader::CBindCallback::~CBindCallback() {
    m_cancel = true;
    m_callback = nullptr;
}

CWinDownloader::CWinDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& targetPath)
    : CDownloader(std::move(callback), url, targetPath), m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CWinDownloader::~CWinDownloader() {
    m_stopping = true;
    m_bindCallback.Cancel();
    if (m_stopEvent) ::SetEvent(m_stopEvent);
    m_threads.Close();
    if (m_stopEvent) ::CloseHandle(m_stopEvent);
}

void CWinDownloader::Start() {
    m_threads.StartWorker([this] {
        // Set here, once the previous run has ended, so that no OnProgress of it sees the change.
        m_bindCallback.SetCallback([this](int code, double value, const wchar_t* text) { Notify(code, value, text); });
        Run();
    });
}

void CWinDownloader::Notify(int code, double value, const wchar_t* text) {
    if (m_stopping || !m_callback) return;
    m_callback(code, value, text);
}

void CWinDownloader::Run() {
    const HRESULT com = ::CoInitialize(nullptr);
    Notify(DL_CODE_START, 1.0, L"");
    if (m_targetPath.empty()) {
        Notify(DL_CODE_FAIL, 1.0, L"");
    } else {
        const std::wstring address =
            m_url.compare(0, 8, L"file:///") == 0 ? m_url : Utils::ToWide(Utils::UrlEncode(m_url), CP_UTF8);
        for (int attempt = 1; attempt <= kAttempts; ++attempt) {
            const HRESULT result = ::URLDownloadToFileW(nullptr, address.c_str(), m_targetPath.c_str(), 0, &m_bindCallback);
            if (result == S_OK) {
                Notify(DL_CODE_SUCCESS, 0.0, L"URLDownloadToFile");
                break;
            }
            if (::WaitForSingleObject(m_stopEvent, kAttemptPauseMs) == WAIT_OBJECT_0) break;
            if (attempt == kAttempts) Notify(DL_CODE_FAIL, static_cast<double>(result), L"URLDownloadToFile");
        }
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
}
