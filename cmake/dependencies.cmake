# Every library comes from Debian's -dev packages through pkg-config. A static link takes the
# libraries' own --static flags, so nothing is listed by hand.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

function(zentomi_pkg name)
  if(ZENTOMI_STATIC)
    set(PKG_CONFIG_USE_STATIC_LIBS ON)
  endif()
  pkg_check_modules(${name} REQUIRED IMPORTED_TARGET ${ARGN})
endfunction()

zentomi_pkg(PNG libpng)
zentomi_pkg(JPEG libjpeg)
zentomi_pkg(WEBP libwebp)

# libunistring ships no pkg-config file.
find_path(UNISTRING_INCLUDE_DIR unicase.h REQUIRED)
find_library(UNISTRING_LIBRARY unistring REQUIRED)
add_library(Unistring::Unistring UNKNOWN IMPORTED)
set_target_properties(Unistring::Unistring PROPERTIES IMPORTED_LOCATION ${UNISTRING_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${UNISTRING_INCLUDE_DIR})
