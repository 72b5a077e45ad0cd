#pragma once
// The system URL downloader: URLDownloadToFileW with a bind-status callback,
// three tries one second apart, no MD5 check and no restart request.
#include <windows.h>
#include <urlmon.h>

#include <atomic>

#include "download/Downloader.h"
#include "download/ThreadGroup.h"

class CWinDownloader : public CDownloader {
public:
    static constexpr int kAttempts = 3;
    static constexpr DWORD kAttemptPauseMs = 1000;

    // The progress receiver handed to the download service. Its lifetime is
    // its owner's: it counts no references.
    class CBindCallback : public IBindStatusCallbackEx {
    public:
        CBindCallback() = default;
        CBindCallback(const CBindCallback&) = delete;
        CBindCallback& operator=(const CBindCallback&) = delete;

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override;
        HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override;
        HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override;
        HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                             LPCWSTR statusText) override;
        HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override;
        HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override;
        HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override;
        HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override;
        HRESULT STDMETHODCALLTYPE GetBindInfoEx(DWORD*, BINDINFO*, DWORD*, DWORD*) override;
        virtual ~CBindCallback();

        void SetCallback(const StatusCallback& callback) { m_callback = callback; }
        void Cancel() { m_cancel = true; }

    private:
        StatusCallback m_callback;
        std::atomic<bool> m_cancel{false};
        IBinding* m_binding = nullptr;  // kept as received, not used
    };

    CWinDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& targetPath);
    // Cancels a running download, waits for the worker and sends nothing more.
    ~CWinDownloader() override;

    void Start() override;

    // The worker body.
    void Run();

private:
    void Notify(int code, double value, const wchar_t* text);

    CBindCallback m_bindCallback;
    std::atomic<bool> m_stopping{false};
    HANDLE m_stopEvent;
    ThreadGroup m_threads;
};
