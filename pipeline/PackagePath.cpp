#include "pipeline/PackagePath.h"

std::wstring PackagePathFor(const std::wstring& installDir, const std::wstring& productId) {
    return installDir + L"\\__Package_" + productId + L".exe";
}
