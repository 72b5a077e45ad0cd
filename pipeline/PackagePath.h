#pragma once
#include <string>

// Where the downloaded package is kept: installDir + "\__Package_" + product + ".exe".
std::wstring PackagePathFor(const std::wstring& installDir, const std::wstring& productId);
