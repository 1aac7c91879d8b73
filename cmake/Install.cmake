# Installed like other programs (cmake --install, and the Debian package of
# scripts/package): the arvel command and the user-facing tools in bin; game with
# Varnet.drv, which it loads from its own folder, in a private one; the demo data in
# share/arvel; documentation, desktop entry and icon where desktops look for them.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(ARVEL_INSTALL_PROGRAMDIR ${CMAKE_INSTALL_LIBEXECDIR}/arvel)
set(ARVEL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/arvel)

install(TARGETS game RUNTIME DESTINATION ${ARVEL_INSTALL_PROGRAMDIR})
install(TARGETS Varnet LIBRARY DESTINATION ${ARVEL_INSTALL_PROGRAMDIR})
set(ARVEL_INSTALLED_TOOLS)
foreach(tool arvel-level arvel-import arvel-reference)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    list(APPEND ARVEL_INSTALLED_TOOLS ${tool})
  endif()
endforeach()

# The launcher finds game and the data relative to itself: the prefix is chosen at
# install time (cmake --install --prefix, CPack's /usr), after this file is written.
file(RELATIVE_PATH ARVEL_LAUNCHER_TO_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${ARVEL_INSTALL_PROGRAMDIR})
file(RELATIVE_PATH ARVEL_LAUNCHER_TO_DATA ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${ARVEL_INSTALL_DATADIR})
configure_file(${PROJECT_SOURCE_DIR}/packaging/arvel.in ${CMAKE_BINARY_DIR}/packaging/arvel @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/arvel DESTINATION ${CMAKE_INSTALL_BINDIR})

# What a run of game in build/data may have left there stays out.
install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${ARVEL_INSTALL_DATADIR}
        PATTERN dump.dmp EXCLUDE PATTERN "screenshot*.png" EXCLUDE)
file(GLOB ARVEL_DOC_PICTURES ${PROJECT_SOURCE_DIR}/docs/*.jpg ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/levels.md
        ${ARVEL_DOC_PICTURES} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/arvel)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/arvel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/arvel.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)

# The Debian package; dpkg-shlibdeps (dpkg-dev) finds the libraries it depends on.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME arvel)
set(CPACK_PACKAGE_VERSION 0.1.0)
set(CPACK_PACKAGE_CONTACT "Arvel developers <arvel@localhost>" CACHE STRING
    "Maintainer of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "real-time 3D engine demo: per-pixel lighting, stencil shadows, portals")
# One paragraph in lines of Debian's width.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Arvel draws a level of rooms joined by portals, lit per pixel by point lights"
       "with stencil shadow volumes, with skinned animated meshes, through an OpenGL"
       "driver plug-in. The arvel command runs the demo; arvel-level, arvel-import"
       "and arvel-reference compile levels, import models and ray trace reference"
       "pictures.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL opens libGL by name at run time, so no library lookup finds it; libGL needs a
# driver to draw with, and Mesa's is what the engine is tested on.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
include(CPack)
