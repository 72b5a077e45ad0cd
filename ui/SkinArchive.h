#pragma once
// A 7z skin archive held in memory, fully extracted when opened.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace SkinUI {

class CSkinArchive {
public:
    struct Entry {
        std::wstring path;        // as stored, components separated by "/"
        size_t pathLength = 0;    // in UTF-16 units, terminator included
        int index = 0;            // the entry's index in the archive
        uint64_t size = 0;        // uncompressed size
        std::vector<unsigned char> data;
    };

    CSkinArchive() = default;
    CSkinArchive(const CSkinArchive&) = delete;
    CSkinArchive& operator=(const CSkinArchive&) = delete;

    // Opens a 7z archive and extracts every file entry at once. False when the
    // bytes are not a readable archive (nothing is kept then).
    bool OpenFromMemory(const void* bytes, size_t size);
    void Close();
    bool IsOpen() const { return open_; }

    // "\" is read as "/", letter case is ignored.
    bool Find(const std::wstring& name, int& index, uint64_t& size) const;
    // Copies the entry into `buffer`, which must hold its whole size.
    bool Extract(int index, void* buffer) const;

    size_t Count() const { return entries_.size(); }
    const Entry* EntryAt(size_t i) const { return i < entries_.size() ? &entries_[i] : nullptr; }

private:
    const Entry* EntryByIndex(int index) const;

    bool open_ = false;
    std::vector<Entry> entries_;
};

} // namespace SkinUI
