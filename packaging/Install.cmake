# Installing the programs on Linux (`cmake --install`) and the Debian package
# (`cpack -G DEB`): programs, start picture and sample site, desktop entry,
# file types, icons, AppStream metadata and manual pages.
include(GNUInstallDirs)

set(VELLACOR_APP_ID "org.example.vellacor" CACHE STRING
    "Reverse-DNS id of the desktop entry and AppStream component (the project's own domain)")
set(VELLACOR_HOMEPAGE "https://vellacor.example.org" CACHE STRING
    "The program's home page; the AppStream screenshots lie under it")
set(VELLACOR_DATA_DIR "${CMAKE_INSTALL_DATADIR}/vellacor")

# The installed program finds its start picture and sample site through this
# path from its own folder, so the installed tree can move as a whole.
file(RELATIVE_PATH data_from_program "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}"
     "${CMAKE_INSTALL_PREFIX}/${VELLACOR_DATA_DIR}")
target_compile_definitions(vellacor-cli PRIVATE VELLACOR_VERSION="${PROJECT_VERSION}")
set(man_pages vellacor-cli)
install(TARGETS vellacor-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vellacor)
  target_compile_definitions(vellacor PRIVATE VELLACOR_VERSION="${PROJECT_VERSION}"
    VELLACOR_DATA_FROM_PROGRAM="${data_from_program}" VELLACOR_DESKTOP_ID="${VELLACOR_APP_ID}")
  list(APPEND man_pages vellacor)
  install(TARGETS vellacor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The geospatial module, found the same way from the program's folder.
set(VELLACOR_MODULE_DIR "${CMAKE_INSTALL_LIBDIR}/vellacor")
file(RELATIVE_PATH module_from_program "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}"
     "${CMAKE_INSTALL_PREFIX}/${VELLACOR_MODULE_DIR}")
target_compile_definitions(vellacor_gis_seam PRIVATE VELLACOR_GIS_MODULE_FROM_PROGRAM="${module_from_program}")
install(TARGETS vellacor_gis LIBRARY DESTINATION ${VELLACOR_MODULE_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/logo.bmp DESTINATION ${VELLACOR_DATA_DIR})
# The program's licence, and the notice the licence of the view's font asks to ship with it.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/resources/FONT-LICENSE.txt
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/samples/sample-site.txt DESTINATION ${VELLACOR_DATA_DIR}/samples)

set(packaging ${CMAKE_CURRENT_LIST_DIR})
install(FILES ${packaging}/vellacor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        RENAME ${VELLACOR_APP_ID}.desktop)
install(FILES ${packaging}/vellacor-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME vellacor.xml)
install(FILES ${packaging}/icons/vellacor.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${packaging}/icons/vellacor-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vellacor.png)
endforeach()
configure_file(${packaging}/vellacor.metainfo.xml.in ${CMAKE_BINARY_DIR}/packaging/${VELLACOR_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${VELLACOR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages, one template for both, the usage text printed by each program.
set(man_outputs)
foreach(page IN LISTS man_pages)
  set(out ${CMAKE_BINARY_DIR}/packaging/man/${page}.1)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${CMAKE_COMMAND} -DPAGE=${page} -DPROGRAM=$<TARGET_FILE:${page}> -DTEMPLATE=${packaging}/vellacor.1.in
            -DOUT=${out} -DPROJECT_VERSION=${PROJECT_VERSION}
            -DDATA_DIR=${CMAKE_INSTALL_PREFIX}/${VELLACOR_DATA_DIR} -P ${packaging}/make-man-page.cmake
    DEPENDS ${page} ${packaging}/vellacor.1.in ${packaging}/make-man-page.cmake
    COMMENT "Writing the manual page of ${page}" VERBATIM)
  list(APPEND man_outputs ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(man-pages ALL DEPENDS ${man_outputs})

# The Debian package: its dependencies are those of the shared libraries the
# programs link (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME vellacor)
set(CPACK_PACKAGE_VENDOR "The Vellacor developers")
set(CPACK_PACKAGE_CONTACT "The Vellacor developers <vellacor@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "terrain viewer for building-site surveys")
set(CPACK_PACKAGE_DESCRIPTION "Vellacor opens survey points, LandXML, DXF, SRTM tiles and elevation rasters,
builds a triangulated surface, traces contours and shows the site in 3D.
vellacor-cli does the same without a window.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${VELLACOR_HOMEPAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
set(CPACK_GENERATOR DEB)
include(CPack)

if(VELLACOR_TESTS)
  add_test(NAME install_into_prefix
           COMMAND bash ${packaging}/install-test.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${VELLACOR_APP_ID})
  set_tests_properties(install_into_prefix PROPERTIES TIMEOUT 120)
endif()
