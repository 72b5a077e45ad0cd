#pragma once
// Where skin documents and images come from, process-wide: the shared skin
// archive (kept for the process lifetime) or a plain folder.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/SkinArchive.h"

namespace SkinUI {

class CSkinResources {
public:
    // The module whose resources hold the skin; the running program by default.
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    // The program's folder, ending in "\".
    static std::wstring GetInstancePath();

    // Folder of plain skin files; a trailing separator is ensured.
    static void SetResourcePath(const std::wstring& folder);
    static const std::wstring& GetResourcePath();

    // Copies the bytes and opens them as the shared archive, recorded under the
    // name "membuffer". While an archive is cached a second call does nothing
    // and reports success. False when the bytes are not a readable archive.
    static bool OpenMemoryArchive(const void* bytes, size_t size);
    // Reads an archive file and opens it (cached under its path).
    static bool OpenArchiveFile(const std::wstring& path);
    // The "ZIPRES" resource `id` of the module, opened as above. False when it
    // is missing, empty or not a readable archive.
    static bool OpenResourceArchive(UINT id);
    // Forgets the shared archive (the next open reads again).
    static void CloseArchive();

    static const CSkinArchive* Archive();  // none when no archive is open
    static const std::wstring& ArchiveName();

    // Reads one skin file through the archive, or the folder when no archive
    // is in use. `limit` caps the size (0: no cap). On failure `error` gets
    // the reason text.
    static bool ReadFile(const std::wstring& name, std::vector<unsigned char>& bytes, size_t limit,
                         std::wstring& error);

    // Reads a file given by a path of its own (absolute, or relative to the
    // resource folder) outside the archive.
    static bool ReadPlainFile(const std::wstring& path, std::vector<unsigned char>& bytes);
};

} // namespace SkinUI
