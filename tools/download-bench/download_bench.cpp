// Downloads one package several ways and prints the throughput of each:
// plain libcurl with the default and with the large receive buffer, then the
// single-stream and the multi-part downloaders (probes, join and MD5 check
// included), and the MD5 pass alone.
// Usage: download_bench <configured url> <real url> <work folder> [rounds] [ways]
// ways: any of "d" (default buffer), "b" (large buffer), "c" (the HTTP client
// alone: probes, transfer, rename), "s" (single-stream), "m" (multi-part),
// "5" (MD5 alone); all by default.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <curl/curl.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "download/CurlClient.h"
#include "download/Downloader.h"
#include "utils/Md5.h"
#include "utils/Text.h"

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The minimal program: one GET straight into a file.
double PlainCurl(const std::string& url, const std::wstring& target, long bufferSize) {
    FILE* file = _wfopen(target.c_str(), L"wb");
    if (!file) return -1;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    if (bufferSize > 0) curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, bufferSize);
    const double began = Now();
    const CURLcode result = curl_easy_perform(curl);
    const double seconds = Now() - began;
    curl_easy_cleanup(curl);
    std::fclose(file);
    return result == CURLE_OK ? seconds : -1;
}

double Client(const std::wstring& url, const std::wstring& target) {
    CurlClient client(url, target, nullptr);
    const double began = Now();
    const int result = client.Start();
    return result == 0 ? Now() - began : -1;
}

double Downloader(int type, const std::wstring& url, const std::wstring& target) {
    std::mutex mutex;
    std::condition_variable done;
    int final = 0;
    auto downloader = CreateDownloader(
        type,
        [&](int code, double, const wchar_t*) {
            if (code != DL_CODE_SUCCESS && code != DL_CODE_FAIL && code != DL_CODE_RETRY) return;
            std::lock_guard<std::mutex> lock(mutex);
            final = code;
            done.notify_all();
        },
        url, target);
    const double began = Now();
    downloader->Start();
    std::unique_lock<std::mutex> lock(mutex);
    done.wait(lock, [&] { return final != 0; });
    const double seconds = Now() - began;
    lock.unlock();
    downloader.reset();
    return final == DL_CODE_SUCCESS ? seconds : -1;
}

void Report(const char* name, double seconds, long long bytes) {
    if (seconds < 0) {
        std::printf("%-34s failed\n", name);
    } else {
        std::printf("%-34s %8.1f MB/s  (%.2f s)\n", name, bytes / 1e6 / seconds, seconds);
    }
    std::fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: download_bench <configured url> <real url> <work folder> [rounds] [ways]\n");
        return 2;
    }
    _setmode(1, _O_BINARY);
    curl_global_init(CURL_GLOBAL_ALL);
    const std::wstring configured = argv[1];
    const std::string real = Utils::ToNarrow(argv[2], CP_UTF8);
    const std::wstring folder = std::wstring(argv[3]) + L"\\";
    const int rounds = argc > 4 ? _wtoi(argv[4]) : 1;
    const std::wstring ways = argc > 5 ? argv[5] : L"dbcsm5";
    const std::wstring target = folder + L"bench.bin";

    for (int round = 1; round <= rounds; ++round) {
        std::printf("round %d\n", round);
        long long bytes = 0;
        if (ways.find(L'd') != std::wstring::npos) {
            const double s = PlainCurl(real, target, 0);
            bytes = FileSize(target);
            Report("libcurl, default buffer", s, bytes);
        }
        if (ways.find(L'b') != std::wstring::npos) {
            const double s = PlainCurl(real, target, CurlClient::kReceiveBufferSize);
            bytes = FileSize(target);
            Report("libcurl, 512 KiB buffer", s, bytes);
        }
        if (ways.find(L'c') != std::wstring::npos) {
            const double s = Client(configured, target);
            bytes = FileSize(target);
            Report("HTTP client alone", s, bytes);
        }
        if (ways.find(L's') != std::wstring::npos) {
            const double s = Downloader(1, configured, target);
            bytes = FileSize(target);
            Report("single-stream downloader", s, bytes);
        }
        if (ways.find(L'm') != std::wstring::npos) {
            const double s = Downloader(3, configured, target);
            bytes = FileSize(target);
            Report("multi-part downloader", s, bytes);
        }
        if (ways.find(L'5') != std::wstring::npos && bytes > 0) {
            const double began = Now();
            const std::string md5 = Utils::FileMd5Hex(Utils::ToNarrow(target, CP_ACP));
            Report("MD5 of the result (part of both)", md5.size() == 32 ? Now() - began : -1, bytes);
        }
        ::DeleteFileW(target.c_str());
    }
    curl_global_cleanup();
    return 0;
}
