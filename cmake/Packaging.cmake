# The Debian package: cpack -G DEB in the build folder makes
# pellisto_<version>_<arch>.deb from the install rules. For Windows,
# cmake/PackagingWindows.cmake makes a zip instead.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
  return()
endif()

# Folders made by the install get 0755 whatever the umask, as packages need.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_NAME pellisto)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Pellisto developers")
set(CPACK_PACKAGE_CONTACT "Pellisto developers <contact@pellisto.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the configuration file of a Firebird server")
# Lines of at most 80 characters, as the package's description shows them.
set(CPACK_PACKAGE_DESCRIPTION [=[
Pellisto shows the 46 parameters of a Firebird 2.x server's firebird.conf on
ten tabbed pages, each with an explanation beside it, and lets the
administrator change them with edit boxes, check boxes, drop-down lists and
folder lists. It rewrites only the lines of the changed parameters,
atomically, keeping comments, symbolic links and permissions.

The command pellisto-conf reads, changes and checks the same file from
scripts and containers.]=])
set(CPACK_PACKAGE_HOMEPAGE_URL "https://pellisto.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries come from dpkg-shlibdeps; the rest is what the program loads
# or starts by name: the Tahoma-compatible face of the pages, https for the
# update check, the desktop's opener for links and the alias file, the
# toolkit's own translations for its dialogs, and pkexec, through which the
# window saves as administrator a file its user may not write.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates, pkexec, qt6-gtk-platformtheme, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
