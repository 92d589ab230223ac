# Debian packages, built with `cpack -G DEB` in a build folder (./run package):
#   velkport  the desktop program, velkctl and receiver-sim, the .desktop file, the icon, the
#             language data and the man pages velkctl(1) and receiver-sim(1)
#   corvid    the media server, its web folder, the systemd user unit and corvid(1)
# Each folder's install() rules land in the component that the top-level CMakeLists.txt names
# before adding the folder (CMAKE_INSTALL_DEFAULT_COMPONENT_NAME); the tools' programs and the
# man pages are installed from here.
include(GNUInstallDirs)

foreach(program velkctl receiver-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT velkport)
  endif()
endforeach()

# Man pages, compressed as Debian keeps them.
find_program(VELK_GZIP gzip REQUIRED)
set(velk_man_pages velkctl:velkport receiver-sim:velkport corvid:corvid)
set(velk_man_outputs)
foreach(entry ${velk_man_pages})
  string(REPLACE ":" ";" entry "${entry}")
  list(GET entry 0 page)
  list(GET entry 1 component)
  set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1)
  set(output ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${VELK_GZIP} -9 -n -c ${source} > ${output}
    DEPENDS ${source} VERBATIM)
  list(APPEND velk_man_outputs ${output})
  install(FILES ${output} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endforeach()
add_custom_target(velk_man_pages ALL DEPENDS ${velk_man_outputs})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velkport)
set(CPACK_PACKAGE_VENDOR "Quintavo")
set(CPACK_PACKAGE_CONTACT "Velkport maintainers <velkport@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL velkport corvid)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_VELKPORT_PACKAGE_NAME velkport)
set(CPACK_DEBIAN_CORVID_PACKAGE_NAME corvid)
set(CPACK_DEBIAN_VELKPORT_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly")
set(CPACK_DEBIAN_CORVID_PACKAGE_RECOMMENDS "vlc-bin, vlc-plugin-base, samba")
set(CPACK_COMPONENT_VELKPORT_DISPLAY_NAME "Velkport")
string(CONCAT CPACK_COMPONENT_VELKPORT_DESCRIPTION
    "Manager for the QX7100 receiver\n"
    "Velkport (Boxdesk) edits the receiver's channel list, manages its recordings and\n"
    "sends it firmware over the home network; velkctl does the same from a terminal,\n"
    "and receiver-sim emulates the receiver for trying things out.")
set(CPACK_COMPONENT_CORVID_DISPLAY_NAME "Corvid")
string(CONCAT CPACK_COMPONENT_CORVID_DESCRIPTION
    "Media server for the QX7100 receiver\n"
    "Corvid (Pallino) shares the PC's music, pictures, videos and recordings with the\n"
    "receiver as a UPnP AV MediaServer or through Samba shares; it runs as a systemd\n"
    "user service.")
include(CPack)

# The packages' file lists, checked without installing anything: cpack stages both packages
# in a folder of the build tree and the test reads them back with dpkg-deb.
add_test(NAME packaging.file_lists
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DCPACK=${CMAKE_CPACK_COMMAND}
          -DHAVE_VELKPORT=$<TARGET_EXISTS:velkport>
          -P ${PROJECT_SOURCE_DIR}/cmake/CheckPackages.cmake)
set_tests_properties(packaging.file_lists PROPERTIES TIMEOUT 600 RUN_SERIAL ON)

# The man pages name the options that the programs' --help names, no more and no fewer.
foreach(program velkctl receiver-sim corvid)
  if(TARGET ${program})
    add_test(NAME packaging.man_page_options.${program}
      COMMAND ${PROJECT_SOURCE_DIR}/docs/man/check-options.sh $<TARGET_FILE:${program}>
              ${PROJECT_SOURCE_DIR}/docs/man/${program}.1)
  endif()
endforeach()
