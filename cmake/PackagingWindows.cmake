# The Windows package: cpack -G ZIP in the build folder makes
# pellisto-<version>-win64.zip, one folder that runs where it is unpacked:
#
#   pellisto-<version>-win64/
#     pellisto.exe, pellisto-conf.exe   Qt, libintl and the C++ runtime linked in
#     locale/<code>/LC_MESSAGES/default.mo
#     COPYRIGHT.txt                     Pellisto's notice and SimpleIni's
#     licenses/                         Qt's and libintl's licences, and where
#                                       their sources come from
#     relink/                           what the LGPL asks of a program linked
#                                       statically with Qt and libintl: this
#                                       program's object files, to link again
#                                       with a changed Qt (relink/README.txt)

set(CPACK_PACKAGE_NAME pellisto)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Pellisto developers")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME pellisto-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)

install(FILES ${CMAKE_SOURCE_DIR}/data/debian/copyright DESTINATION . RENAME COPYRIGHT.txt)
# scripts/qt-windows.sh keeps the licences of what it built beside it.
install(DIRECTORY ${QT6_INSTALL_PREFIX}/licenses/ DESTINATION licenses)
include(${CMAKE_CURRENT_LIST_DIR}/RelinkKit.cmake)

include(CPack)
