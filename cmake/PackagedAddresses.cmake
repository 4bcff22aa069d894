# The metainfo and the package's copyright file with the addresses given at
# configure time, each left out when empty. Also run on its own:
#   cmake -DFENNIC_ADDRESSES_OUT=DIR [-DFENNIC_HOMEPAGE=...] [-DFENNIC_SCREENSHOTS_URL=...] -P THIS
# writes DIR/metainfo/org.fennic.Fennic.metainfo.xml and DIR/doc/copyright.
set(FENNIC_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR}/../resources)
set(FENNIC_METAINFO_URLS "")
set(FENNIC_METAINFO_SCREENSHOTS "")
set(FENNIC_COPYRIGHT_SOURCE "")
if(FENNIC_HOMEPAGE)
  string(REPLACE "&" "&amp;" homepage "${FENNIC_HOMEPAGE}")
  set(FENNIC_METAINFO_URLS "\n  <url type=\"homepage\">${homepage}</url>")
  set(FENNIC_COPYRIGHT_SOURCE "Source: ${FENNIC_HOMEPAGE}\n")
endif()
if(FENNIC_SCREENSHOTS_URL)
  string(REGEX REPLACE "/+$" "" shots "${FENNIC_SCREENSHOTS_URL}")
  string(REPLACE "&" "&amp;" shots "${shots}")
  set(FENNIC_METAINFO_SCREENSHOTS "
  <screenshots>
    <screenshot type=\"default\">
      <caption>A photo in its own window, sized to the picture</caption>
      <image>${shots}/viewer.png</image>
    </screenshot>
    <screenshot>
      <caption>The frameless style, with the toolbar over the picture</caption>
      <image>${shots}/frameless.png</image>
    </screenshot>
  </screenshots>")
endif()
configure_file(${FENNIC_RESOURCES_DIR}/desktop/org.fennic.Fennic.metainfo.xml.in
               ${FENNIC_ADDRESSES_OUT}/metainfo/org.fennic.Fennic.metainfo.xml @ONLY)
configure_file(${FENNIC_RESOURCES_DIR}/package/copyright.in ${FENNIC_ADDRESSES_OUT}/doc/copyright @ONLY)
