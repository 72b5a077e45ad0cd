#include "utils/Md5.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdio>
#include <vector>

namespace Utils {

namespace {

// The CNG MD5 provider, closed with the object.
class Md5Hash {
public:
    Md5Hash() {
        if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_MD5_ALGORITHM, nullptr, 0))) {
            algorithm_ = nullptr;
            return;
        }
        if (!BCRYPT_SUCCESS(::BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0))) hash_ = nullptr;
    }
    ~Md5Hash() {
        if (hash_) ::BCryptDestroyHash(hash_);
        if (algorithm_) ::BCryptCloseAlgorithmProvider(algorithm_, 0);
    }
    bool Ok() const { return hash_ != nullptr; }
    bool Update(const unsigned char* data, size_t size) {
        return BCRYPT_SUCCESS(::BCryptHashData(hash_, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0));
    }
    bool Finish(unsigned char (&digest)[16]) { return BCRYPT_SUCCESS(::BCryptFinishHash(hash_, digest, 16, 0)); }

private:
    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
};

} // namespace

std::string FileMd5Hex(const std::string& path) {
    if (path.empty()) return std::string();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::string();
    Md5Hash hash;
    bool ok = hash.Ok();
    unsigned char block[1024];
    while (ok) {
        const size_t got = std::fread(block, 1, sizeof(block), file);
        if (got > 0) ok = hash.Update(block, got);
        if (got < sizeof(block)) {
            ok = ok && !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    unsigned char digest[16];
    if (!ok || !hash.Finish(digest)) return std::string();
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : digest) {
        text += kHex[b >> 4];
        text += kHex[b & 0x0F];
    }
    return text;
}

} // namespace Utils
