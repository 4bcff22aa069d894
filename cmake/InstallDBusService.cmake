# Writes the D-Bus service file at install time, so that its Exec line names
# the binary where it is installed (`cmake --install --prefix P`, the .deb's
# /usr), not where the build was configured to go.
# Expects FENNIC_SERVICE_TEMPLATE and FENNIC_BINDIR.
if(IS_ABSOLUTE "${FENNIC_BINDIR}")
  set(CMAKE_INSTALL_FULL_BINDIR "${FENNIC_BINDIR}")
else()
  set(CMAKE_INSTALL_FULL_BINDIR "${CMAKE_INSTALL_PREFIX}/${FENNIC_BINDIR}")
endif()
set(_services "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/dbus-1/services")
message(STATUS "Installing: ${_services}/org.fennic.Fennic.service")
file(MAKE_DIRECTORY "${_services}")
configure_file("${FENNIC_SERVICE_TEMPLATE}" "${_services}/org.fennic.Fennic.service" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_services}/org.fennic.Fennic.service")
