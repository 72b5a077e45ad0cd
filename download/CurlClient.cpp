#include "download/CurlClient.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>

#include "app/InstallerReports.h"
#include "utils/Log.h"
#include "utils/Text.h"

namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

std::wstring ErrorText(int code) {
    return Utils::ToWide(curl_easy_strerror(static_cast<CURLcode>(code)), CP_UTF8);
}

bool BeginsWithFileScheme(const std::wstring& url) {
    return url.compare(0, 8, L"file:///") == 0;
}

} // namespace

CurlClient::CurlClient(const std::wstring& url, const std::wstring& filePath, void* owner, ProgressFunction progress)
    : m_url(url), m_filePath(filePath), m_owner(owner), m_progress(progress) {}

CurlClient::~CurlClient() {
    m_stop = true;
    std::remove(Utils::ToNarrow(GetFilePath(true), CP_ACP).c_str());
}

std::wstring CurlClient::GetFilePath(bool withPartSuffix) const {
    return withPartSuffix ? m_filePath + L".part" : m_filePath;
}

int CurlClient::Start() {
    LogLine(L"start download");
    const std::string partPath = Utils::ToNarrow(GetFilePath(true), CP_ACP);
    const std::string filePath = Utils::ToNarrow(GetFilePath(false), CP_ACP);
    const std::string url = Utils::ToNarrow(m_url, BeginsWithFileScheme(m_url) ? CP_ACP : CP_UTF8);

    int result = 0;
    FILE* part = nullptr;

    if (m_realUrl.empty() || m_fileLength < kMinimumLength) {
        if (CURL* head = Head(url)) {
            char* effective = nullptr;
            m_realUrl = (curl_easy_getinfo(head, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
                            ? effective
                            : "";
            m_fileLength = GetDownloadFileLength(head);
            curl_easy_cleanup(head);
        }
    }
    if (m_realUrl.empty() || m_fileLength < kMinimumLength) {
        m_realUrl = GetRealUrl_Str(url);
        if (!m_realUrl.empty()) m_fileLength = GetDownloadFileLength_Str(m_realUrl);
        if (m_fileLength < kMinimumLength) result = kNoLength;
    }

    struct curl_slist* headers = nullptr;
    if (result == 0) {
        m_transfer = curl_easy_init();
        if (!m_transfer) result = kNoTransfer;
    }
    if (result == 0) {
        part = std::fopen(partPath.c_str(), "ab+");
        if (!part) result = kPartFileFailed;
    }
    if (result == 0) {
        headers = curl_slist_append(headers, "Connection: keep-alive");
        headers = curl_slist_append(headers, "Accept-Encoding: gzip, deflate");
        int set = 0;
        set |= curl_easy_setopt(m_transfer, CURLOPT_HTTPHEADER, headers);
        set |= curl_easy_setopt(m_transfer, CURLOPT_TCP_KEEPALIVE, 1L);
        set |= curl_easy_setopt(m_transfer, CURLOPT_TCP_KEEPIDLE, 10L);
        set |= curl_easy_setopt(m_transfer, CURLOPT_TCP_KEEPINTVL, 10L);
        set |= curl_easy_setopt(m_transfer, CURLOPT_TIMEOUT, 0L);
        set |= curl_easy_setopt(m_transfer, CURLOPT_URL, m_realUrl.c_str());
        set |= curl_easy_setopt(m_transfer, CURLOPT_FOLLOWLOCATION, 1L);
        set |= curl_easy_setopt(m_transfer, CURLOPT_WRITEFUNCTION, &WriteToFile);
        set |= curl_easy_setopt(m_transfer, CURLOPT_WRITEDATA, part);
        set |= curl_easy_setopt(m_transfer, CURLOPT_NOPROGRESS, 0L);
        set |= curl_easy_setopt(m_transfer, CURLOPT_XFERINFOFUNCTION, &CurlClient::ProgressCallback);
        set |= curl_easy_setopt(m_transfer, CURLOPT_XFERINFODATA, this);
        set |= curl_easy_setopt(m_transfer, CURLOPT_FAILONERROR, 1L);
        set |= curl_easy_setopt(m_transfer, CURLOPT_CONNECTTIMEOUT, 60L);
        set |= curl_easy_setopt(m_transfer, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
        // A server that keeps the connection open but stops sending must not hold the installer forever.
        set |= curl_easy_setopt(m_transfer, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytes);
        set |= curl_easy_setopt(m_transfer, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);

        // The full 64-bit size: a 32-bit one would restart a part file past 2 GiB from zero onto its end.
        struct _stat64 info;
        m_resumeOffset = (_stat64(partPath.c_str(), &info) == 0) ? static_cast<int64_t>(info.st_size) : -1;
        if (static_cast<double>(m_resumeOffset) > 1e-10) {
            set |= curl_easy_setopt(m_transfer, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(m_resumeOffset));
        }
        result = set;
        if (result == 0) result = curl_easy_perform(m_transfer);
    }

    LogLine(L"error:%d:%s", result, ErrorText(result).c_str());

    if (m_transfer) {
        curl_easy_cleanup(m_transfer);
        m_transfer = nullptr;
    }
    if (headers) curl_slist_free_all(headers);
    if (part) std::fclose(part);

    if (result == 0) {
        std::remove(filePath.c_str());
        if (std::rename(partPath.c_str(), filePath.c_str()) != 0) result = kRenameFailed;
    }
    LogLine(L"end download");
    return result;
}

int CurlClient::ProbeProgress(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CurlClient*>(client)->m_stop ? 1 : 0;
}

CURL* CurlClient::NewProbe(const std::string& url, CURLcode& result) {
    CURL* probe = curl_easy_init();
    if (!probe) return nullptr;
    int set = 0;
    set |= curl_easy_setopt(probe, CURLOPT_URL, url.c_str());
    set |= curl_easy_setopt(probe, CURLOPT_NOBODY, 1L);
    set |= curl_easy_setopt(probe, CURLOPT_WRITEFUNCTION, &DiscardBody);
    set |= curl_easy_setopt(probe, CURLOPT_CONNECTTIMEOUT, 60L);
    // Probes too must end on a stalled server and when the owner goes away.
    set |= curl_easy_setopt(probe, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytes);
    set |= curl_easy_setopt(probe, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
    set |= curl_easy_setopt(probe, CURLOPT_NOPROGRESS, 0L);
    set |= curl_easy_setopt(probe, CURLOPT_XFERINFOFUNCTION, &CurlClient::ProbeProgress);
    set |= curl_easy_setopt(probe, CURLOPT_XFERINFODATA, this);
    result = static_cast<CURLcode>(set);
    return probe;
}

CURL* CurlClient::Head(const std::string& url) {
    CURLcode result = CURLE_OK;
    CURL* head = NewProbe(url, result);
    if (!head) return nullptr;
    if (result == CURLE_OK) {
        result = static_cast<CURLcode>(result | curl_easy_setopt(head, CURLOPT_FOLLOWLOCATION, 1L));
    }
    if (result == CURLE_OK) {
        result = curl_easy_perform(head);
        if (result != CURLE_OK) LogText(L"error:%d:%s", static_cast<int>(result), ErrorText(result).c_str());
    }
    LogLine(L"error:%d:%s", static_cast<int>(result), ErrorText(result).c_str());
    return head;
}

void CurlClient::ReportLengthFailure(long responseCode, bool withGroup) {
    wchar_t message[200] = {};
    _snwprintf(message, 199, L"1.获取文件大小的状态码为=%ld；", responseCode);
    ReportProperties properties;
    if (withGroup) properties[L"AB"] = L"IN";
    ReportTask(L"下载失败原因", 0.0f, properties, message);
}

double CurlClient::GetDownloadFileLength(CURL* transfer) {
    curl_off_t length = -1;
    const CURLcode query = curl_easy_getinfo(transfer, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    LogLine(L"error:%d:%s", static_cast<int>(query), ErrorText(query).c_str());
    long code = 0;
    if (curl_easy_getinfo(transfer, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK && code >= 200 && code <= 399) {
        return (query == CURLE_OK) ? static_cast<double>(length) : -1.0;
    }
    ReportLengthFailure(code, false);
    return -1.0;
}

double CurlClient::GetDownloadFileLength_Str(const std::string& url) {
    CURLcode result = CURLE_OK;
    CURL* probe = NewProbe(url, result);
    if (!probe) return -1.0;
    if (result == CURLE_OK) {
        result = static_cast<CURLcode>(result | curl_easy_setopt(probe, CURLOPT_HEADER, 1L));
    }
    curl_off_t length = -1;
    CURLcode query = result;
    if (result == CURLE_OK) {
        curl_easy_perform(probe);
        query = curl_easy_getinfo(probe, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (query != CURLE_OK) length = -1;
        long code = 0;
        query = curl_easy_getinfo(probe, CURLINFO_RESPONSE_CODE, &code);
        if (query != CURLE_OK || code < 200 || code > 400) ReportLengthFailure(code, true);
    }
    LogLine(L"error:%d:%s", static_cast<int>(query), ErrorText(query).c_str());
    curl_easy_cleanup(probe);
    return static_cast<double>(length);
}

std::string CurlClient::GetRealUrl_Str(const std::string& url) {
    CURLcode result = CURLE_OK;
    CURL* probe = NewProbe(url, result);
    if (!probe) return url;
    if (result == CURLE_OK) {
        result = static_cast<CURLcode>(result | curl_easy_setopt(probe, CURLOPT_FOLLOWLOCATION, 1L));
    }
    std::string effective;
    if (result == CURLE_OK) result = curl_easy_perform(probe);
    if (result != CURLE_OK) {
        LogText(L"error:%d:%s", static_cast<int>(result), ErrorText(result).c_str());
    } else {
        char* text = nullptr;
        if (curl_easy_getinfo(probe, CURLINFO_EFFECTIVE_URL, &text) == CURLE_OK && text) effective = text;
    }
    curl_easy_cleanup(probe);
    return effective.empty() ? url : effective;
}

int CurlClient::ProgressCallback(void* client, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
    auto* self = static_cast<CurlClient*>(client);
    if (self->m_stop) return 1;

    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (now - self->m_lastProgressSecond < 1) return 0;
    self->m_lastProgressSecond = now;

    curl_off_t speedBytes = 0;
    double speed = 0.0;
    if (self->m_transfer && curl_easy_getinfo(self->m_transfer, CURLINFO_SPEED_DOWNLOAD_T, &speedBytes) == CURLE_OK) {
        speed = static_cast<double>(speedBytes);
    }

    double percent = 0.0;
    if (self->m_fileLength > kMinimumLength) {
        const double present = static_cast<double>(self->m_resumeOffset > 0 ? self->m_resumeOffset : 0);
        percent = (present + static_cast<double>(dlnow)) / self->m_fileLength * 100.0;
    } else {
        if (dlnow <= 0 || dltotal <= 0) return 0;
        percent = static_cast<double>(dlnow) * 100.0 / static_cast<double>(dltotal);
    }
    if (percent == 0.0) return 0;
    if (self->m_progress) self->m_progress(self->m_owner, speed, 0.0, percent);

    if (dltotal != 0) {
        LogText(L" %dM %dM   progress:%f%%  speed:%f \n", static_cast<int>(dlnow / 1048576),
                static_cast<int>(dltotal / 1048576), static_cast<double>(static_cast<float>(percent)),
                static_cast<double>(static_cast<float>(speed / 1024.0)));
    }
    return 0;
}
