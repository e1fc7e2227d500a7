# The workbook libraries: minizip unpacks the list's .xlsx, libxlsxwriter writes the results'.
# On Debian from its packages (pkg-config); for Windows cross-built into the build cache and
# found through CMAKE_PREFIX_PATH, linked statically.
if(WIN32)
    find_path(KELVARA_MINIZIP_INCLUDE unzip.h PATH_SUFFIXES minizip REQUIRED)
    find_library(KELVARA_MINIZIP_LIBRARY NAMES libminizip.a minizip REQUIRED)
    find_path(KELVARA_XLSXWRITER_INCLUDE xlsxwriter.h REQUIRED)
    find_library(KELVARA_XLSXWRITER_LIBRARY NAMES libxlsxwriter.a xlsxwriter REQUIRED)
    # MinGW's zlib: the static archive, not libz.dll.a, or the program would need zlib1.dll.
    find_library(KELVARA_ZLIB_LIBRARY NAMES libz.a REQUIRED)
    # Imported static libraries, not plain paths, so the linker is given each archive
    # before the ones it takes functions from: libxlsxwriter, then minizip, then zlib.
    add_library(Kelvara::minizip STATIC IMPORTED)
    set_target_properties(Kelvara::minizip PROPERTIES
        IMPORTED_LOCATION "${KELVARA_MINIZIP_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${KELVARA_MINIZIP_INCLUDE}"
        INTERFACE_LINK_LIBRARIES "${KELVARA_ZLIB_LIBRARY}")
    add_library(Kelvara::xlsxwriter STATIC IMPORTED)
    set_target_properties(Kelvara::xlsxwriter PROPERTIES
        IMPORTED_LOCATION "${KELVARA_XLSXWRITER_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${KELVARA_XLSXWRITER_INCLUDE}"
        INTERFACE_LINK_LIBRARIES Kelvara::minizip)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(KELVARA_MINIZIP REQUIRED IMPORTED_TARGET GLOBAL minizip)
    pkg_check_modules(KELVARA_XLSXWRITER REQUIRED IMPORTED_TARGET GLOBAL xlsxwriter)
    # minizip's .pc names zlib only for static linking; the tests call zlib themselves.
    find_package(ZLIB REQUIRED)
    target_link_libraries(PkgConfig::KELVARA_MINIZIP INTERFACE ZLIB::ZLIB)
    add_library(Kelvara::minizip ALIAS PkgConfig::KELVARA_MINIZIP)
    add_library(Kelvara::xlsxwriter ALIAS PkgConfig::KELVARA_XLSXWRITER)
endif()
