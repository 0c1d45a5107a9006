# Every library comes from Debian's -dev packages through pkg-config. A static link takes the
# libraries' own --static flags, so nothing is listed by hand.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

if(ZENTOMI_STATIC)
  # Found libraries are linked by full path; a shared object there would defeat -static.
  set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
endif()

# zentomi_pkg(NAME module...) defines PkgConfig::NAME. Naming the same NAME twice is harmless.
function(zentomi_pkg name)
  if(TARGET PkgConfig::${name})
    return()
  endif()
  if(NOT ZENTOMI_STATIC)
    pkg_check_modules(${name} REQUIRED IMPORTED_TARGET GLOBAL ${ARGN})
    return()
  endif()
  # This CMake's imported targets carry only the shared-library flags, so the target is built
  # from the --static ones. Libraries go by name: the linker's -static picks each archive, and
  # the C library's own (libm, libdl) come from the compiler's runtime rather than the packages'.
  pkg_check_modules(${name} REQUIRED ${ARGN})
  # The flags list a library again after each one that needs it; keeping only the last mention
  # keeps every archive after all of its users.
  set(libraries ${${name}_STATIC_LIBRARIES})
  list(REVERSE libraries)
  list(REMOVE_DUPLICATES libraries)
  list(REVERSE libraries)
  add_library(PkgConfig::${name} INTERFACE IMPORTED GLOBAL)
  set_target_properties(PkgConfig::${name} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${${name}_STATIC_INCLUDE_DIRS}"
    INTERFACE_COMPILE_OPTIONS "${${name}_STATIC_CFLAGS_OTHER}"
    INTERFACE_LINK_DIRECTORIES "${${name}_STATIC_LIBRARY_DIRS}"
    INTERFACE_LINK_LIBRARIES "${libraries}"
    INTERFACE_LINK_OPTIONS "${${name}_STATIC_LDFLAGS_OTHER}")
endfunction()

zentomi_pkg(PNG libpng)
zentomi_pkg(JPEG libjpeg)
zentomi_pkg(WEBP libwebp)
zentomi_pkg(FREETYPE freetype2)
zentomi_pkg(CRYPTO libcrypto)
zentomi_pkg(SODIUM libsodium)
# CBZ/ZIP chapters of the local library; minizip needs only zlib.
zentomi_pkg(MINIZIP minizip)

# Header-only; its CMake package gives the include path.
find_package(nlohmann_json 3.11 REQUIRED)

# libunistring ships no pkg-config file.
find_path(UNISTRING_INCLUDE_DIR unicase.h REQUIRED)
find_library(UNISTRING_LIBRARY unistring REQUIRED)
add_library(Unistring::Unistring UNKNOWN IMPORTED)
set_target_properties(Unistring::Unistring PROPERTIES IMPORTED_LOCATION ${UNISTRING_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${UNISTRING_INCLUDE_DIR})
