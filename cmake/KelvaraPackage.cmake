# The Debian package: `cpack -G DEB` in a build folder (scripts/package.sh does it all)
# writes kelvara_<version>_<architecture>.deb from what `cmake --install` installs.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kelvara")
set(CPACK_PACKAGE_VENDOR "Kelvara 开发组")
set(CPACK_PACKAGE_CONTACT "${KELVARA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lucky draw: winners at random from a list of names")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
# Directories in the package are 0755 whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package's architecture as Debian names it (amd64, arm64, ...); the tests find the
# package by it.
set(KELVARA_DEB_ARCHITECTURE "")
find_program(KELVARA_DPKG dpkg)
if(KELVARA_DPKG)
    execute_process(COMMAND "${KELVARA_DPKG}" --print-architecture
                    OUTPUT_VARIABLE KELVARA_DEB_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "${KELVARA_DEB_ARCHITECTURE}")
endif()
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KELVARA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The libraries come from the binary; Qt's screen plugins and the GStreamer plugins that
# decode and play the sounds are loaded at run time, so the package names them itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
# Chinese glyphs, and Qt's own texts (such as file error reasons) in Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n")
# Print hands the results file to lp.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups-client")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Kelvara draws winners at random from a list of candidates kept in a
text file, one per line, or in an Excel workbook, one per row.
Each round draws as many winners as asked while a large label rolls
through the names; nobody is drawn twice in one run. The results can be
saved to a text file and a workbook, and printed. A verifiable mode for
public lotteries shows a commitment before witnesses key in public
digits, so that anyone can re-check every winner afterwards with an
offline page that comes with the package. The interface is in Chinese.

Kelvara 摇号软件：适合公司年会、学校和住房摇号等场合。候选人名单放在
文本文件 bonus.txt 中（每行一人），或 Excel 工作簿 bonus.xlsx 中（每行
一人）；每轮按输入的人数抽出中奖者，同一次运行中每人最多被抽中一次；
结果可以保存为文本文件和 Excel 工作簿并打印。可验证摇号适合当众进行的
公开摇号：初始化时先公布承诺，再由见证人输入公开数字，事后任何人都可以
用附带的离线网页核对每一名中签者。]=])

include(CPack)
