// Runs one downloader to its end and prints every status call, one a line:
// "code value text". Restarts once when asked to, as the orchestrator does.
// Usage: download_probe <download type> <url> <target path>
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <curl/curl.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "download/Downloader.h"
#include "utils/Text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: download_probe <type> <url> <target>\n");
        return 2;
    }
    _setmode(1, _O_BINARY);
    curl_global_init(CURL_GLOBAL_ALL);
    std::mutex mutex;
    std::condition_variable done;
    int final = 0;
    std::unique_ptr<CDownloader> downloader;
    auto callback = [&](int code, double value, const wchar_t* text) {
        std::printf("%d %.4f %s\n", code, value, Utils::ToNarrow(text, CP_UTF8).c_str());
        std::fflush(stdout);
        if (code == DL_CODE_RETRY) {
            downloader->Start();
        } else if (code == DL_CODE_SUCCESS || code == DL_CODE_FAIL) {
            std::lock_guard<std::mutex> lock(mutex);
            final = code;
            done.notify_all();
        }
    };
    downloader = CreateDownloader(_wtoi(argv[1]), callback, argv[2], argv[3]);
    downloader->Start();
    {
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [&] { return final != 0; });
    }
    downloader.reset();
    curl_global_cleanup();
    return final == DL_CODE_SUCCESS ? 0 : 4;
}
