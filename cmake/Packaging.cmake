# The Debian package of the Linux programs: `make deb` (cpack -G DEB in a Release build).
# Debian's own layout comes from the install rules with the prefix /usr; what a Debian package has
# beyond them (compressed manual pages, copyright, changelog.Debian.gz) is added to the staged tree
# by cmake/DebianFiles.cmake just before the archive is made.

# The package's release of an upstream version and its maintainer are the ones the changelog's
# latest entry names, so that the package and its changelog cannot disagree.
file(STRINGS "${PROJECT_SOURCE_DIR}/cmake/debian/changelog" pathlet_changelog_lines)
list(GET pathlet_changelog_lines 0 pathlet_changelog_head)
if(NOT pathlet_changelog_head MATCHES "^pathlet \\(([0-9.]+)-([0-9]+)\\) ")
  message(FATAL_ERROR "cmake/debian/changelog must start with 'pathlet (VERSION-REVISION) '")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "cmake/debian/changelog is for ${CMAKE_MATCH_1}, the project is ${PROJECT_VERSION}: add an entry")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE "${CMAKE_MATCH_2}")
list(FILTER pathlet_changelog_lines INCLUDE REGEX "^ -- ")
list(GET pathlet_changelog_lines 0 pathlet_changelog_trailer)
if(NOT pathlet_changelog_trailer MATCHES "^ -- ([^<]+ <[^>]+>)  ")
  message(FATAL_ERROR "cmake/debian/changelog: the first entry ends without ' -- NAME <ADDRESS>  DATE'")
endif()
set(PATHLET_DEB_MAINTAINER "${CMAKE_MATCH_1}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pathlet)
set(CPACK_PACKAGE_VENDOR "The Pathlet developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${PATHLET_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PATHLET_DEB_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The unit is written at install time with the prefix it will run from; DESTDIR staging keeps
# that prefix /usr rather than the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Depends from the libraries the programs link (libc, libstdc++, libgcc, libusb, and netCDF where
# the map reads shorelines).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"HotSync host for the track logs of handheld GPS units
pathlet copies the track logs of a handheld GPS application (TrackDB) to the
desktop: during a HotSync it decodes them and writes the whole geographic
database to a byte-exact record file, Tracks.tlx, in the user's HotSync
directory.
.
pathlet sync answers the handheld's own HotSync button on USB cradles and
cables, serial cradles and lines (also Bluetooth serial) and network HotSync.
Other commands manage HotSync users, show what a record file holds, export it
to GPX, GeoJSON, KML or CSV and draw its tracks as an SVG map.
.
The package also holds pathlet-pdbgen, which writes handheld track databases
for tests and demonstrations, a udev rule that lets the logged-in user open
USB handhelds, and a systemd user unit (pathlet-sync.service) that serves
them while the user is logged in.")

# Shorelines on the map come from Debian's coastline data sets, read through netCDF, which the map
# loads when it draws them (so it is recommended, not depended on), where the build reads them.
find_package(netCDF CONFIG QUIET)
if(netCDF_FOUND AND TARGET netCDF::netcdf)
  get_target_property(pathlet_netcdf_soname netCDF::netcdf IMPORTED_SONAME_NONE)
  # Debian names a library's package after its soname: libnetcdf.so.19 is in libnetcdf19.
  string(REGEX REPLACE "^libnetcdf\\.so\\.([0-9]+)$" "libnetcdf\\1" pathlet_netcdf_package "${pathlet_netcdf_soname}")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${pathlet_netcdf_package}")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gmt-gshhg-low")
endif()

set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/DebianFiles.cmake")
# Read by DebianFiles.cmake through CPackConfig.cmake.
set(CPACK_PATHLET_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_PATHLET_PACKAGE_NAME pathlet)

include(CPack)
