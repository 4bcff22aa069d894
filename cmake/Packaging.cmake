# `make package`: a Debian package built by CPack from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fennic)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Fennic developers")
# dpkg needs a maintainer; the vendor stands in when none is given.
if(FENNIC_MAINTAINER)
  set(CPACK_PACKAGE_CONTACT "${FENNIC_MAINTAINER}")
else()
  set(CPACK_PACKAGE_CONTACT "${CPACK_PACKAGE_VENDOR}")
endif()
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Fennic opens a photo at once in a window sized to the picture; the arrow keys step\n\
through the other images of its folder. It zooms, turns pictures a quarter turn\n\
(written back without re-encoding where the format allows it), converts to PNG,\n\
JPEG or BMP, prints, and moves pictures to the Trash. It reads JPEG, PNG, BMP,\n\
TIFF, HEIC and HEIF files and camera raw files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(FENNIC_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${FENNIC_HOMEPAGE}")
endif()
# The libraries the program is linked with, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What it needs but does not link: libheif, LibRaw and libjxl are opened on the
# first HEIF, raw or JPEG XL file, lcms2, libtiff and libgeonames on the first
# colour profile, TIFF file or place name, GIO by the Trash, the recent files
# and the external editor (it is in libglib2.0-0, which dpkg-shlibdeps sees
# only through GLib's linked functions: the version is what the opened ones
# need, g_bookmark_file_set_added_date_time the newest), Qt's platform and
# image plugins are loaded at run time, the typeface stands in for the
# design's, and the MIME database names files.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libheif1, libraw20, libjxl0.7, liblcms2-2, libtiff6, libgeonames0, libglib2.0-0 (>= 2.65.1), qt6-qpa-plugins, qt6-image-formats-plugins, fonts-manrope, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "dbus-user-session | dbus-x11")
include(CPack)
