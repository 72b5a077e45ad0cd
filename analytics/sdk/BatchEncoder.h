#pragma once
// A batch's way onto the wire: gzip, Base64, URL encoding, the form body.
#include <string>

namespace analytics_sdk {

// zlib level 9, gzip wrapper (window bits 31), memory level 8. False, with a
// diagnostic message, when zlib fails.
bool GzipCompress(const std::string& input, std::string& output);
// Standard alphabet, "=" padding, no line breaks.
std::string Base64Encode(const std::string& bytes);
// Letters, digits and "-._~" stay; every other byte becomes %XX (upper case).
std::string UrlEncodeBytes(const std::string& text);
// "data_list=" + the encoded batch + "&gzip=1"; false when compression fails.
bool EncodeBatchBody(const std::string& batch, std::string& body);

} // namespace analytics_sdk
