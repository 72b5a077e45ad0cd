// A scriptable stand-in for a real package or uninstaller: a real console
// program that records the command line it was given and then plays a script
// of writes, pauses and files, so tests can drive the key=value protocol.
//
// Environment (PREFIX is VELQUOR_FAKE_PACKAGE or VELQUOR_FAKE_UNINSTALLER):
//   PREFIX_RECORD  file that receives the command line (UTF-8)
//   PREFIX_SCRIPT  file with one command per line:
//     write TEXT     one write of TEXT to standard output; \n \r \t \\ \xHH escapes
//     spam N         N bytes of filler in one go (lines of 'x'), for full pipes
//     sleep MS       pause
//     touch PATH     create (or empty) a file
//     exit CODE      end now with CODE
// Without a script it prints nothing and ends with 0.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef FAKE_ROLE
#define FAKE_ROLE "VELQUOR_FAKE_PACKAGE"
#endif

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'n') out += '\n';
        else if (c == 'r') out += '\r';
        else if (c == 't') out += '\t';
        else if (c == '0') out += '\0';
        else if (c == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else out += c;
    }
    return out;
}

void WriteOut(const std::string& bytes) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr)) return;
        done += written;
    }
}

void RecordCommandLine(const std::string& path) {
    if (path.empty()) return;
    const wchar_t* line = GetCommandLineW();
    const int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, line, -1, &utf8[0], size, nullptr, nullptr);
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(utf8.data(), 1, utf8.size(), f);
        std::fclose(f);
    }
}

} // namespace

int main() {
    RecordCommandLine(Env(FAKE_ROLE "_RECORD"));
    const std::string scriptPath = Env(FAKE_ROLE "_SCRIPT");
    if (scriptPath.empty()) return 0;
    FILE* script = std::fopen(scriptPath.c_str(), "rb");
    if (!script) return 0;
    std::vector<std::string> commands;
    char buffer[8192];
    while (std::fgets(buffer, sizeof(buffer), script)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        commands.push_back(line);
    }
    std::fclose(script);

    for (const std::string& command : commands) {
        const size_t space = command.find(' ');
        const std::string verb = command.substr(0, space);
        const std::string arg = space == std::string::npos ? "" : command.substr(space + 1);
        if (verb == "write") {
            WriteOut(Unescape(arg));
        } else if (verb == "spam") {
            const long count = std::atol(arg.c_str());
            std::string filler;
            for (long i = 0; i < count; ++i) filler += (i % 80 == 79) ? '\n' : 'x';
            WriteOut(filler);
        } else if (verb == "sleep") {
            Sleep(static_cast<DWORD>(std::atol(arg.c_str())));
        } else if (verb == "touch") {
            if (FILE* f = std::fopen(arg.c_str(), "wb")) std::fclose(f);
        } else if (verb == "exit") {
            return std::atoi(arg.c_str());
        }
    }
    return 0;
}
