#include "ui/SkinResources.h"

#include <memory>

namespace SkinUI {

namespace {

struct Shared {
    HINSTANCE instance = nullptr;
    std::wstring resourcePath;
    std::unique_ptr<CSkinArchive> archive;
    std::wstring archiveName;
};

Shared& State() {
    static Shared state;
    return state;
}

bool IsAbsolute(const std::wstring& path) {
    return (path.size() >= 2 && path[1] == L':') || (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\');
}

bool ReadWholeFile(const std::wstring& path, std::vector<unsigned char>& bytes, size_t limit,
                   std::wstring& error) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = L"Error opening file";
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(file, &size) != FALSE;
    if (ok && size.QuadPart == 0) {
        error = L"File is empty";
        ok = false;
    } else if (ok && ((limit != 0 && static_cast<uint64_t>(size.QuadPart) > limit) ||
                      size.QuadPart > 0x7FFFFFFF)) {
        error = L"File too large";
        ok = false;
    }
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
            read != bytes.size()) {
            error = L"Could not read file";
            bytes.clear();
            ok = false;
        }
    } else if (error.empty()) {
        error = L"Could not read file";
    }
    ::CloseHandle(file);
    return ok;
}

} // namespace

void CSkinResources::SetInstance(HINSTANCE instance) { State().instance = instance; }

HINSTANCE CSkinResources::GetInstance() {
    if (State().instance == nullptr) State().instance = ::GetModuleHandleW(nullptr);
    return State().instance;
}

std::wstring CSkinResources::GetInstancePath() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameW(GetInstance(), path, MAX_PATH * 2);
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

void CSkinResources::SetResourcePath(const std::wstring& folder) {
    std::wstring p = folder;
    if (!p.empty() && p.back() != L'\\' && p.back() != L'/') p += L'\\';
    State().resourcePath = p;
}

const std::wstring& CSkinResources::GetResourcePath() { return State().resourcePath; }

bool CSkinResources::OpenMemoryArchive(const void* bytes, size_t size) {
    Shared& s = State();
    if (s.archive) return true;  // cached for the process lifetime
    // The reader works on the toolkit's own copy of the bytes.
    std::vector<unsigned char> copy(static_cast<const unsigned char*>(bytes),
                                    static_cast<const unsigned char*>(bytes) + (bytes ? size : 0));
    auto archive = std::make_unique<CSkinArchive>();
    if (!archive->OpenFromMemory(copy.data(), copy.size())) return false;
    s.archive = std::move(archive);
    s.archiveName = L"membuffer";
    return true;
}

bool CSkinResources::OpenArchiveFile(const std::wstring& path) {
    Shared& s = State();
    if (s.archive) return true;
    std::wstring full = IsAbsolute(path) ? path : GetResourcePath() + path;
    std::vector<unsigned char> bytes;
    std::wstring error;
    if (!ReadWholeFile(full, bytes, 0, error)) return false;
    auto archive = std::make_unique<CSkinArchive>();
    if (!archive->OpenFromMemory(bytes.data(), bytes.size())) return false;
    s.archive = std::move(archive);
    s.archiveName = full;
    return true;
}

bool CSkinResources::OpenResourceArchive(UINT id) {
    if (State().archive) return true;
    HINSTANCE module = GetInstance();
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"ZIPRES");
    if (info == nullptr) return false;
    HGLOBAL handle = ::LoadResource(module, info);
    if (handle == nullptr) return false;
    DWORD size = ::SizeofResource(module, info);
    const void* data = ::LockResource(handle);
    if (data == nullptr || size == 0) return false;
    return OpenMemoryArchive(data, size);
}

void CSkinResources::CloseArchive() {
    State().archive.reset();
    State().archiveName.clear();
}

const CSkinArchive* CSkinResources::Archive() { return State().archive.get(); }

const std::wstring& CSkinResources::ArchiveName() { return State().archiveName; }

bool CSkinResources::ReadFile(const std::wstring& name, std::vector<unsigned char>& bytes, size_t limit,
                              std::wstring& error) {
    bytes.clear();
    error.clear();
    const CSkinArchive* archive = Archive();
    if (archive == nullptr) return ReadWholeFile(IsAbsolute(name) ? name : GetResourcePath() + name, bytes, limit, error);

    int index = -1;
    uint64_t size = 0;
    if (!archive->Find(name, index, size)) {
        error = L"Could not find ziped file";
        return false;
    }
    if (size == 0) {
        error = L"File is empty";
        return false;
    }
    if ((limit != 0 && size > limit) || size > 0x7FFFFFFF) {
        error = L"File too large";
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    if (!archive->Extract(index, bytes.data())) {
        bytes.clear();
        error = L"Could not unzip file";
        return false;
    }
    return true;
}

bool CSkinResources::ReadPlainFile(const std::wstring& path, std::vector<unsigned char>& bytes) {
    std::wstring error;
    if (ReadWholeFile(path, bytes, 0, error)) return true;
    if (!IsAbsolute(path) && !GetResourcePath().empty())
        return ReadWholeFile(GetResourcePath() + path, bytes, 0, error);
    return false;
}

} // namespace SkinUI
