#include "download/MTCurlDownloader.h"

#include <sys/stat.h>

#include <ctime>

#include "app/InstallerConfig.h"
#include "download/CurlClient.h"
#include "utils/Log.h"
#include "utils/Md5.h"
#include "utils/Text.h"

namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

std::wstring ErrorText(int code) {
    return Utils::ToWide(curl_easy_strerror(static_cast<CURLcode>(code)), CP_UTF8);
}

// Size of a file by the standard stat call; 0 when missing.
int64_t ExistingSize(const std::string& path) {
    struct _stat64 info;
    if (_stat64(path.c_str(), &info) != 0 || info.st_size < 0) return 0;
    return static_cast<int64_t>(info.st_size);
}

} // namespace

CMTCurlDownloader::CMTCurlDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& targetPath)
    : CDownloader(std::move(callback), url, targetPath),
      m_narrowTarget(Utils::ToNarrow(targetPath, CP_ACP)),
      m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    std::remove(m_narrowTarget.c_str());
    DeletePartFiles();
}

CMTCurlDownloader::~CMTCurlDownloader() {
    m_stopping = true;
    if (m_stopEvent) ::SetEvent(m_stopEvent);
    m_threads.Close();
    ClearParts();
    if (m_stopEvent) ::CloseHandle(m_stopEvent);
}

void CMTCurlDownloader::Start() {
    // The new worker waits for every thread of the previous attempt, the caller's included.
    m_threads.StartWorker([this] { Start_Down(); });
}

void CMTCurlDownloader::Notify(int code, double value, const wchar_t* text) {
    if (m_stopping || !m_callback) return;
    m_callback(code, value, text);
}

std::string CMTCurlDownloader::PartPath(int index) const {
    return m_narrowTarget + "_" + std::to_string(index);
}

std::vector<int32_t> CMTCurlDownloader::PartSizes(int32_t fileLength) {
    int32_t count = fileLength / kPartUnit;
    if (count == 0) count = 1;
    if (count > kMaxParts) count = kMaxParts;
    std::vector<int32_t> sizes(static_cast<size_t>(count), fileLength / count);
    sizes.back() += fileLength % count;
    return sizes;
}

void CMTCurlDownloader::Start_Down() {
    Notify(DL_CODE_START, 1.0, L"");
    LogLine(L"start download");
    const bool fileScheme = m_url.compare(0, 8, L"file:///") == 0;
    const std::string url = Utils::ToNarrow(m_url, fileScheme ? CP_ACP : CP_UTF8);

    std::remove(m_narrowTarget.c_str());
    double lastPercent;
    {
        std::lock_guard<std::mutex> lock(m_progressLock);
        lastPercent = m_lastPercent;
    }
    if (lastPercent == 0.0) DeletePartFiles();

    if (m_realUrl.empty() || m_fileLength < 256) {
        if (!getRealDownloadUrl(url)) {
            Notify(DL_CODE_FAIL, 0.0, L"LibCurl");
            return;
        }
    }
    if (m_stopping) return;

    ClearParts();
    const std::vector<int32_t> sizes = PartSizes(m_fileLength);
    int32_t offset = 0;
    for (size_t i = 0; i < sizes.size(); ++i) {
        auto node = std::make_unique<DownloadPartNode>();
        node->partFilePath = PartPath(static_cast<int>(i));
        const int64_t existing = ExistingSize(node->partFilePath);
        node->downloaded = existing;
        node->nextOffset = static_cast<int32_t>(offset + existing);
        offset += sizes[i];
        node->lastOffset = offset - 1;
        node->transfer = curl_easy_init();
        node->url = m_realUrl;
        if (node->nextOffset > node->lastOffset) {
            node->status = 0;
        } else {
            node->status = -1;
            node->partFile = std::fopen(node->partFilePath.c_str(), "ab+");
            if (!node->partFile) node->status = -2;
        }
        m_parts.push_back(std::move(node));
    }

    for (auto& node : m_parts) {
        if (node->status != -1) continue;
        DownloadPartNode* part = node.get();
        ++m_runningParts;
        if (!m_threads.StartHelper([this, part] { downloadThreadFun(this, part); })) {
            --m_runningParts;
            part->status = -3;  // never ran: the attempt cannot complete
            continue;
        }
        if (::WaitForSingleObject(m_stopEvent, kPartStartGapMs) == WAIT_OBJECT_0) break;
    }
    m_threads.StartHelper([this] { waitForFinishThreadFun(this); });
}

bool CMTCurlDownloader::getRealDownloadUrl(const std::string& url) {
    m_realUrl.clear();
    m_expectedMd5.clear();
    m_fileLength = 0;
    if (!InstallerConfig::Instance().HttpReady) return false;

    CURL* probe = curl_easy_init();
    if (!probe) return false;
    struct curl_slist* headers = curl_slist_append(nullptr, "Connection: keep-alive");
    int set = 0;
    set |= curl_easy_setopt(probe, CURLOPT_HTTPHEADER, headers);
    set |= curl_easy_setopt(probe, CURLOPT_URL, url.c_str());
    set |= curl_easy_setopt(probe, CURLOPT_FOLLOWLOCATION, 1L);
    set |= curl_easy_setopt(probe, CURLOPT_NOBODY, 1L);
    set |= curl_easy_setopt(probe, CURLOPT_SSL_VERIFYPEER, 0L);
    set |= curl_easy_setopt(probe, CURLOPT_SSL_VERIFYHOST, 0L);
    set |= curl_easy_setopt(probe, CURLOPT_WRITEFUNCTION, &DiscardBody);
    set |= curl_easy_setopt(probe, CURLOPT_CONNECTTIMEOUT, 60L);
    // A stalled or abandoned probe must end as well.
    set |= curl_easy_setopt(probe, CURLOPT_LOW_SPEED_LIMIT, 1L);
    set |= curl_easy_setopt(probe, CURLOPT_LOW_SPEED_TIME, 30L);
    set |= curl_easy_setopt(probe, CURLOPT_NOPROGRESS, 0L);
    set |= curl_easy_setopt(probe, CURLOPT_XFERINFOFUNCTION, &CMTCurlDownloader::ProbeProgress);
    set |= curl_easy_setopt(probe, CURLOPT_XFERINFODATA, this);
    if (set != 0 || curl_easy_perform(probe) != CURLE_OK) {
        curl_easy_cleanup(probe);
        curl_slist_free_all(headers);
        return false;
    }

    char* effective = nullptr;
    if (curl_easy_getinfo(probe, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective && *effective) {
        m_realUrl = effective;
        LogLine(L"Download File real url %s", Utils::ToWide(m_realUrl, CP_UTF8).c_str());
        m_expectedMd5 = Utils::UrlParentSegment(m_realUrl);
    }
    curl_off_t length = -1;
    long code = 0;
    if (curl_easy_getinfo(probe, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        curl_easy_getinfo(probe, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK && code >= 200 && code <= 399) {
        // Ranges are 32-bit: a package of 2 GiB or more is refused rather than cut.
        m_fileLength = (length >= 0 && length <= INT32_MAX) ? static_cast<int32_t>(length) : 0;
        LogLine(L"Download File Length %lld", static_cast<long long>(m_fileLength));
    }
    curl_easy_cleanup(probe);
    curl_slist_free_all(headers);
    return !m_realUrl.empty() && m_fileLength > 255;
}

void CMTCurlDownloader::downloadThreadFun(CMTCurlDownloader* downloader, DownloadPartNode* part) {
    int budget = kRetryBudget;
    int result = downloader->downloadExe(part);
    while (result != 0 && budget > 0 && !downloader->m_stopping) {
        budget -= (result == CURLE_PARTIAL_FILE) ? 1 : 2;
        LogLine(L"CurlDownLoader Code=%d", result);
        if (::WaitForSingleObject(downloader->m_stopEvent, kRetryPauseMs) == WAIT_OBJECT_0) break;
        result = downloader->downloadExe(part);
    }
    if (part->partFile) {
        std::fclose(part->partFile);
        part->partFile = nullptr;
    }
    --downloader->m_runningParts;
}

int CMTCurlDownloader::downloadExe(DownloadPartNode* part) {
    char range[64] = {};
    std::snprintf(range, sizeof(range), "%ld-%ld", static_cast<long>(part->nextOffset),
                  static_cast<long>(part->lastOffset));
    CURL* transfer = part->transfer;
    if (!transfer) {
        part->status = CURLE_FAILED_INIT;
        return part->status;
    }
    int set = 0;
    set |= curl_easy_setopt(transfer, CURLOPT_NOSIGNAL, 1L);
    set |= curl_easy_setopt(transfer, CURLOPT_URL, part->url.c_str());
    set |= curl_easy_setopt(transfer, CURLOPT_TIMEOUT, 0L);
    set |= curl_easy_setopt(transfer, CURLOPT_FOLLOWLOCATION, 1L);
    set |= curl_easy_setopt(transfer, CURLOPT_WRITEFUNCTION, &CMTCurlDownloader::WritePart);
    set |= curl_easy_setopt(transfer, CURLOPT_WRITEDATA, part);
    set |= curl_easy_setopt(transfer, CURLOPT_NOPROGRESS, 0L);
    set |= curl_easy_setopt(transfer, CURLOPT_XFERINFOFUNCTION, &CMTCurlDownloader::OnPartProgress);
    set |= curl_easy_setopt(transfer, CURLOPT_XFERINFODATA, this);
    set |= curl_easy_setopt(transfer, CURLOPT_FAILONERROR, 1L);
    set |= curl_easy_setopt(transfer, CURLOPT_CONNECTTIMEOUT, 60L);
    set |= curl_easy_setopt(transfer, CURLOPT_SSL_VERIFYPEER, 0L);
    set |= curl_easy_setopt(transfer, CURLOPT_SSL_VERIFYHOST, 0L);
    set |= curl_easy_setopt(transfer, CURLOPT_LOW_SPEED_LIMIT, 1L);
    set |= curl_easy_setopt(transfer, CURLOPT_LOW_SPEED_TIME, 5L);
    set |= curl_easy_setopt(transfer, CURLOPT_RANGE, range);
    set |= curl_easy_setopt(transfer, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    if (set != 0) {
        part->status = set;
        curl_easy_reset(transfer);
        return set;
    }
    const CURLcode result = curl_easy_perform(transfer);
    if (result != CURLE_OK) {
        LogLine(L"error:%d:%s", static_cast<int>(result), ErrorText(result).c_str());
    } else {
        LogLine(L"curl_easy_cleanup");
    }
    curl_easy_reset(transfer);
    if (result == CURLE_OK && part->partFile) {
        std::fclose(part->partFile);
        part->partFile = nullptr;
    }
    part->status = result;
    return result;
}

size_t CMTCurlDownloader::WritePart(char* data, size_t size, size_t count, void* userData) {
    auto* part = static_cast<DownloadPartNode*>(userData);
    if (!part || !part->partFile) return 0;
    if (part->nextOffset > part->lastOffset) return 0;
    const size_t offered = size * count;
    const size_t room = static_cast<size_t>(part->lastOffset - part->nextOffset) + 1;
    const size_t wanted = offered > room ? room : offered;
    const size_t written = std::fwrite(data, 1, wanted, part->partFile);
    part->nextOffset += static_cast<int32_t>(written);
    part->downloaded += static_cast<int64_t>(written);
    return written;
}

int CMTCurlDownloader::ProbeProgress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CMTCurlDownloader*>(userData)->m_stopping ? 1 : 0;
}

int CMTCurlDownloader::OnPartProgress(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* self = static_cast<CMTCurlDownloader*>(userData);
    if (self->m_stopping) return 1;  // only when the downloader is being destroyed

    std::unique_lock<std::mutex> lock(self->m_progressLock);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (now - self->m_lastProgressSecond < 1) return 0;
    self->m_lastProgressSecond = now;

    double percent = 0.0;
    if (self->m_fileLength >= 256) {
        for (const auto& node : self->m_parts) {
            const int64_t present = node->downloaded;
            if (present > 0) percent += static_cast<double>(present) * 100.0 / self->m_fileLength;
        }
        if (percent > 100.0) return 0;
    }
    if (percent - self->m_lastPercent >= 1.0) {
        self->m_lastPercent = percent;
        lock.unlock();
        self->Notify(DL_CODE_PROGRESS, percent / 100.0, L"");
    }
    return 0;
}

void CMTCurlDownloader::waitForFinishThreadFun(CMTCurlDownloader* self) {
    while (self->m_runningParts > 0) ::Sleep(kFinishPollMs);
    if (self->m_stopping) return;

    int failCode = 0;
    for (const auto& node : self->m_parts) {
        if (node->status != 0) {
            failCode = node->status;
            break;
        }
    }

    if (failCode == 0) {
        {
            std::lock_guard<std::mutex> lock(self->m_progressLock);
            self->m_lastPercent = 0.0;
        }
        // The parts' own handles are closed by now; the join reopens the files by name.
        FILE* joined = std::fopen(self->PartPath(0).c_str(), "ab+");
        for (size_t i = 1; i < self->m_parts.size(); ++i) {
            const std::string path = self->PartPath(static_cast<int>(i));
            if (FILE* part = std::fopen(path.c_str(), "rb+")) {
                char block[1024];
                size_t got;
                while ((got = std::fread(block, 1, sizeof(block), part)) > 0) {
                    if (joined) std::fwrite(block, 1, got, joined);
                }
                std::fclose(part);
            }
            LogLine(L"partPath::%s", Utils::ToWide(path, CP_ACP).c_str());
        }
        if (joined) std::fclose(joined);
        std::remove(self->m_narrowTarget.c_str());
        if (std::rename(self->PartPath(0).c_str(), self->m_narrowTarget.c_str()) != 0) {
            // Without the target file there is no package to report as downloaded.
            self->ClearParts();
            self->DeletePartFiles();
            if (self->m_retryUsed) {
                self->Notify(DL_CODE_FAIL, static_cast<double>(CurlClient::kRenameFailed), L"LibCurl");
            } else {
                self->m_retryUsed = true;
                self->Notify(DL_CODE_RETRY, static_cast<double>(CurlClient::kRenameFailed), L"LibCurl");
            }
            return;
        }
        self->DeletePartFiles();

        if (self->m_expectedMd5.size() == 32) {
            const std::string actual = Utils::FileMd5Hex(self->m_narrowTarget);
            if (actual.size() == 32 && actual != self->m_expectedMd5) {
                self->Notify(DL_CODE_MD5_NOTICE, 0.0, L"mtcurl文件md5校验失败");
                std::remove(self->m_narrowTarget.c_str());
                self->ClearParts();
                if (self->m_retryUsed) {
                    LogLine(L"finish recv, md5 chaek failed and retry failed.");
                    self->Notify(DL_CODE_FAIL, 0.0, L"LibCurl");
                } else {
                    self->m_retryUsed = true;
                    LogLine(L"finish recv, md5 chaek failed retry once.");
                    self->Notify(DL_CODE_RETRY, 0.0, L"LibCurl");
                }
                return;
            }
        } else {
            self->Notify(DL_CODE_MD5_NOTICE, 0.0, L"mtcurl获取url-md5失败");
        }
        LogLine(L"finish recv");
        self->ClearParts();
        self->Notify(DL_CODE_SUCCESS, 0.0, L"LibCurl");
        return;
    }

    self->ClearParts();
    double lastPercent;
    {
        std::lock_guard<std::mutex> lock(self->m_progressLock);
        lastPercent = self->m_lastPercent;
    }
    if (lastPercent == 0.0) self->DeletePartFiles();
    if (self->m_retryUsed) {
        {
            std::lock_guard<std::mutex> lock(self->m_progressLock);
            self->m_lastPercent = 0.0;
        }
        self->Notify(DL_CODE_FAIL, static_cast<double>(failCode), L"LibCurl");
    } else {
        self->m_retryUsed = true;
        self->Notify(DL_CODE_RETRY, static_cast<double>(failCode), L"LibCurl");
    }
}

void CMTCurlDownloader::ClearParts() {
    for (auto& node : m_parts) {
        if (node->transfer) curl_easy_cleanup(node->transfer);
        if (node->partFile) std::fclose(node->partFile);
    }
    m_parts.clear();
}

void CMTCurlDownloader::DeletePartFiles() {
    for (int i = 0; i < kMaxParts; ++i) std::remove(PartPath(i).c_str());
}
