#include "ui/SkinArchive.h"

#include <cstring>

extern "C" {
#include <7z.h>
#include <7zAlloc.h>
#include <7zCrc.h>
#include <7zTypes.h>
}

namespace SkinUI {

namespace {

// The archive bytes seen by the 7z reader as a seekable stream.
struct MemoryStream {
    ISeekInStream vt;
    const Byte* data;
    size_t size;
    size_t pos;
};

SRes MemoryRead(ISeekInStreamPtr p, void* buf, size_t* size) {
    auto* s = reinterpret_cast<MemoryStream*>(const_cast<ISeekInStream*>(p));
    size_t left = s->size - s->pos;
    size_t n = *size < left ? *size : left;
    if (n > 0) std::memcpy(buf, s->data + s->pos, n);
    s->pos += n;
    *size = n;
    return SZ_OK;
}

SRes MemorySeek(ISeekInStreamPtr p, Int64* pos, ESzSeek origin) {
    auto* s = reinterpret_cast<MemoryStream*>(const_cast<ISeekInStream*>(p));
    Int64 base = 0;
    switch (origin) {
    case SZ_SEEK_SET: base = 0; break;
    case SZ_SEEK_CUR: base = static_cast<Int64>(s->pos); break;
    case SZ_SEEK_END: base = static_cast<Int64>(s->size); break;
    default: return SZ_ERROR_PARAM;
    }
    Int64 target = base + *pos;
    if (target < 0 || target > static_cast<Int64>(s->size)) return SZ_ERROR_READ;
    s->pos = static_cast<size_t>(target);
    *pos = target;
    return SZ_OK;
}

const ISzAlloc kAllocMain = {SzAlloc, SzFree};
const ISzAlloc kAllocTemp = {SzAllocTemp, SzFreeTemp};

void EnsureCrcTable() {
    static bool made = false;
    if (!made) {
        CrcGenerateTable();
        made = true;
    }
}

std::wstring Slashed(std::wstring name) {
    for (auto& c : name)
        if (c == L'\\') c = L'/';
    return name;
}

} // namespace

bool CSkinArchive::OpenFromMemory(const void* bytes, size_t size) {
    Close();
    if (bytes == nullptr || size == 0) return false;
    EnsureCrcTable();

    MemoryStream stream;
    stream.vt.Read = MemoryRead;
    stream.vt.Seek = MemorySeek;
    stream.data = static_cast<const Byte*>(bytes);
    stream.size = size;
    stream.pos = 0;

    const size_t kLookSize = 1 << 16;
    CLookToRead2 look;
    LookToRead2_CreateVTable(&look, False);
    look.buf = static_cast<Byte*>(ISzAlloc_Alloc(&kAllocMain, kLookSize));
    if (look.buf == nullptr) return false;
    look.bufSize = kLookSize;
    look.realStream = &stream.vt;
    LookToRead2_INIT(&look);

    CSzArEx db;
    SzArEx_Init(&db);
    bool ok = SzArEx_Open(&db, &look.vt, &kAllocMain, &kAllocTemp) == SZ_OK;

    std::vector<Entry> entries;
    if (ok) {
        UInt32 blockIndex = 0xFFFFFFFF;
        Byte* outBuffer = nullptr;
        size_t outBufferSize = 0;
        std::vector<UInt16> nameBuffer;
        for (UInt32 i = 0; i < db.NumFiles && ok; ++i) {
            if (SzArEx_IsDir(&db, i)) continue;
            size_t nameLength = SzArEx_GetFileNameUtf16(&db, i, nullptr);
            nameBuffer.assign(nameLength + 1, 0);
            SzArEx_GetFileNameUtf16(&db, i, nameBuffer.data());
            Entry entry;
            entry.path = Slashed(reinterpret_cast<const wchar_t*>(nameBuffer.data()));
            entry.pathLength = entry.path.size() + 1;
            entry.index = static_cast<int>(i);
            entry.size = SzArEx_GetFileSize(&db, i);

            size_t offset = 0;
            size_t processed = 0;
            if (SzArEx_Extract(&db, &look.vt, i, &blockIndex, &outBuffer, &outBufferSize, &offset,
                               &processed, &kAllocMain, &kAllocTemp) != SZ_OK ||
                processed != entry.size) {
                ok = false;
                break;
            }
            entry.data.assign(outBuffer + offset, outBuffer + offset + processed);
            entries.push_back(std::move(entry));
        }
        ISzAlloc_Free(&kAllocMain, outBuffer);
    }
    SzArEx_Free(&db, &kAllocMain);
    ISzAlloc_Free(&kAllocMain, look.buf);
    if (!ok) return false;

    entries_ = std::move(entries);
    open_ = true;
    return true;
}

void CSkinArchive::Close() {
    entries_.clear();
    open_ = false;
}

bool CSkinArchive::Find(const std::wstring& name, int& index, uint64_t& size) const {
    const std::wstring wanted = Slashed(name);
    for (const Entry& e : entries_) {
        if (e.pathLength != wanted.size() + 1) continue;
        if (::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, e.path.c_str(),
                             static_cast<int>(e.path.size()), wanted.c_str(),
                             static_cast<int>(wanted.size())) == CSTR_EQUAL) {
            index = e.index;
            size = e.size;
            return true;
        }
    }
    return false;
}

const CSkinArchive::Entry* CSkinArchive::EntryByIndex(int index) const {
    for (const Entry& e : entries_)
        if (e.index == index) return &e;
    return nullptr;
}

bool CSkinArchive::Extract(int index, void* buffer) const {
    const Entry* e = EntryByIndex(index);
    if (e == nullptr || buffer == nullptr) return false;
    if (!e->data.empty()) std::memcpy(buffer, e->data.data(), e->data.size());
    return true;
}

} // namespace SkinUI
