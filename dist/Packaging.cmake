# The Debian package: `cpack -G DEB` in a build folder (scripts/package does it) writes
# gyrolook_<version>_<arch>.deb. Shared-library dependencies are computed by dpkg-shlibdeps; the
# font the window layout is measured in comes from fonts-dejavu-extra.
set(CPACK_PACKAGE_NAME gyrolook)
set(CPACK_PACKAGE_VENDOR "Gyrolook")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for objects photographed from every side")
# The long description as the control file shows it: CPack indents every line by one blank.
set(CPACK_PACKAGE_DESCRIPTION
    "Gyrolook opens .360 packages (a ring of photographs taken around one object,
optional rings above and below it and a sound track) and lets you turn the
object, zoom and read hot spots. The package tool gyrolook-pack makes packages
from folders of photos, checks them, draws contact sheets of them, exports them
as a web page, an animated picture or a video, and makes their file-manager
thumbnails.")
set(CPACK_PACKAGE_CONTACT "Gyrolook developers <gyrolook@gyrolook.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The first packaging of each version; its entry is in dist/changelog.Debian.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-wayland, shared-mime-info, desktop-file-utils, hicolor-icon-theme")
include(CPack)
