# What puts Fennic into the desktop: the program, its desktop entry, the
# D-Bus service that starts it on demand, the software-centre metadata, the
# icons, the manual page and the licence in the form Debian reads.
include(GNUInstallDirs)

set(FENNIC_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
set(FENNIC_ICON_SVG ${PROJECT_SOURCE_DIR}/resources/icons/org.fennic.Fennic.svg)
set(FENNIC_ICON_SIZES 16 22 24 32 48 64 128 256 512)

# PNG icons drawn from the SVG at build time.
add_executable(render-icon tools/render_icon.cpp)
target_link_libraries(render-icon PRIVATE Qt6::Gui Qt6::Svg)
set(FENNIC_ICON_DIR ${PROJECT_BINARY_DIR}/icons/hicolor)
set(FENNIC_ICON_PNGS)
foreach(size ${FENNIC_ICON_SIZES})
  list(APPEND FENNIC_ICON_PNGS ${FENNIC_ICON_DIR}/${size}x${size}/apps/org.fennic.Fennic.png)
endforeach()
add_custom_command(OUTPUT ${FENNIC_ICON_PNGS}
  COMMAND render-icon ${FENNIC_ICON_SVG} ${FENNIC_ICON_DIR} ${FENNIC_ICON_SIZES}
  DEPENDS render-icon ${FENNIC_ICON_SVG}
  COMMENT "Rendering the application icon")
add_custom_target(fennic-icons ALL DEPENDS ${FENNIC_ICON_PNGS})

# The manual page, with the version filled in and compressed as Debian has it.
configure_file(resources/man/fennic.1.in ${PROJECT_BINARY_DIR}/man/fennic.1 @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/fennic.1.gz
  COMMAND gzip -9 -n -c ${PROJECT_BINARY_DIR}/man/fennic.1 > ${PROJECT_BINARY_DIR}/man/fennic.1.gz
  DEPENDS ${PROJECT_BINARY_DIR}/man/fennic.1
  COMMENT "Compressing the manual page")
add_custom_target(fennic-man ALL DEPENDS ${PROJECT_BINARY_DIR}/man/fennic.1.gz)

install(TARGETS fennic RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Found from the program's folder as ../lib/fennic (desktop/ProgramModule.cpp).
install(TARGETS ${FENNIC_MODULES} LIBRARY DESTINATION lib/fennic)
install(FILES ${FENNIC_DESKTOP_DIR}/org.fennic.Fennic.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/metainfo/org.fennic.Fennic.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${FENNIC_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${FENNIC_ICON_SIZES})
  install(FILES ${FENNIC_ICON_DIR}/${size}x${size}/apps/org.fennic.Fennic.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/man/fennic.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(FENNIC_ADDRESSES_OUT ${PROJECT_BINARY_DIR})
include(cmake/PackagedAddresses.cmake)
# GNUInstallDirs would name the folder after the project (Fennic); Debian's is
# the package's name.
install(FILES ${PROJECT_BINARY_DIR}/doc/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/fennic)
# Its Exec line must name the installed binary, wherever the install goes.
install(CODE "set(FENNIC_SERVICE_TEMPLATE \"${FENNIC_DESKTOP_DIR}/org.fennic.Fennic.service.in\")
              set(FENNIC_BINDIR \"${CMAKE_INSTALL_BINDIR}\")")
install(SCRIPT cmake/InstallDBusService.cmake)
