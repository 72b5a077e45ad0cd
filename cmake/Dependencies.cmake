# Imported targets for the libraries built by deps/setup.sh and those Debian ships for mingw.
set(_mingw_root /usr/i686-w64-mingw32)

add_library(deps_zlib STATIC IMPORTED GLOBAL)
set_target_properties(deps_zlib PROPERTIES
  IMPORTED_LOCATION ${_mingw_root}/lib/libz.a
  INTERFACE_INCLUDE_DIRECTORIES ${_mingw_root}/include)

add_library(deps_curl STATIC IMPORTED GLOBAL)
set_target_properties(deps_curl PROPERTIES
  IMPORTED_LOCATION ${VELQUOR_DEPS}/curl/lib/libcurl.a
  INTERFACE_INCLUDE_DIRECTORIES ${VELQUOR_DEPS}/curl/include
  INTERFACE_COMPILE_DEFINITIONS CURL_STATICLIB
  INTERFACE_LINK_LIBRARIES "deps_zlib;ws2_32;crypt32;bcrypt;secur32;advapi32;wldap32;normaliz")

add_library(deps_lzma7z STATIC IMPORTED GLOBAL)
set_target_properties(deps_lzma7z PROPERTIES
  IMPORTED_LOCATION ${VELQUOR_DEPS}/lzma/lib/liblzma7z.a
  INTERFACE_INCLUDE_DIRECTORIES ${VELQUOR_DEPS}/lzma/include)

# stb_image is header-only; Debian keeps its headers in their own folder.
add_library(deps_stb INTERFACE IMPORTED GLOBAL)
set_target_properties(deps_stb PROPERTIES INTERFACE_INCLUDE_DIRECTORIES /usr/include/stb)

add_library(deps_gtest STATIC IMPORTED GLOBAL)
set_target_properties(deps_gtest PROPERTIES
  IMPORTED_LOCATION ${VELQUOR_DEPS}/gtest/lib/libgtest.a
  INTERFACE_INCLUDE_DIRECTORIES ${VELQUOR_DEPS}/gtest/include)
add_library(deps_gtest_main STATIC IMPORTED GLOBAL)
set_target_properties(deps_gtest_main PROPERTIES
  IMPORTED_LOCATION ${VELQUOR_DEPS}/gtest/lib/libgtest_main.a
  INTERFACE_LINK_LIBRARIES deps_gtest)

foreach(_f ${VELQUOR_DEPS}/curl/lib/libcurl.a ${VELQUOR_DEPS}/lzma/lib/liblzma7z.a ${VELQUOR_DEPS}/gtest/lib/libgtest.a)
  if(NOT EXISTS ${_f})
    message(FATAL_ERROR "${_f} is missing: run deps/setup.sh (make does it)")
  endif()
endforeach()
