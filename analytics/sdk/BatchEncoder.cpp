#include "analytics/sdk/BatchEncoder.h"

#include <zlib.h>

#include "analytics/sdk/Diagnostics.h"

namespace analytics_sdk {

bool GzipCompress(const std::string& input, std::string& output) {
    output.clear();
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        Diagnostic("deflateInit2 failed while compressing.");
        return false;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    static constexpr size_t kChunk = 32768;
    char buffer[kChunk];
    int result = Z_OK;
    do {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = kChunk;
        result = deflate(&stream, Z_FINISH);
        output.append(buffer, kChunk - stream.avail_out);
    } while (result == Z_OK);
    const bool ok = result == Z_STREAM_END;
    if (!ok) {
        Diagnostic("Exception during zlib compression: (" + std::to_string(result) + ") " +
                   (stream.msg ? stream.msg : ""));
        output.clear();
    }
    deflateEnd(&stream);
    return ok;
}

std::string Base64Encode(const std::string& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    auto byte = [&](size_t k) { return static_cast<unsigned int>(static_cast<unsigned char>(bytes[k])); };
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned int n = (byte(i) << 16) | (byte(i + 1) << 8) | byte(i + 2);
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += kAlphabet[(n >> 6) & 63];
        out += kAlphabet[n & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest == 1) {
        const unsigned int n = byte(i) << 16;
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += "==";
    } else if (rest == 2) {
        const unsigned int n = (byte(i) << 16) | (byte(i + 1) << 8);
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += kAlphabet[(n >> 6) & 63];
        out += '=';
    }
    return out;
}

std::string UrlEncodeBytes(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3 / 2);
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '.' || c == '_' || c == '~';
        if (keep) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

bool EncodeBatchBody(const std::string& batch, std::string& body) {
    std::string compressed;
    if (!GzipCompress(batch, compressed)) return false;
    body = "data_list=" + UrlEncodeBytes(Base64Encode(compressed)) + "&gzip=1";
    return true;
}

} // namespace analytics_sdk
