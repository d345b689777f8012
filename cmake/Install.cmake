# What `cmake --install` puts where, and the Debian package.
#
#   bin/grov-rage                          the launcher: prepares the player's run directory, starts the game
#   libexec/grov-rage/grov-rage            the game itself (it works only from a run directory)
#   share/grov-rage/                       the shared, read-only data: shader/, res/, assets/, icons/, settings.txt
#   share/applications/<id>.desktop        the menu entry
#   share/icons/hicolor/<n>x<n>/apps/<id>.png
#   share/metainfo/<id>.metainfo.xml       the software centre's description
#
# The game is a compiled program, so it goes under libexec rather than beside its data in share,
# which holds only what is the same on every architecture; and not in bin, because started on
# its own it would look for its data in whatever directory the player happens to be in.
# Tests, benchmarks, grov-bench and the data generator are build tools and are not installed.

include(GNUInstallDirs)

set(GROV_APP_ID io.github.grovrage.GrovRage)
set(GROV_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/grov-rage)
set(GROV_GAME_INSTALL_DIR ${CMAKE_INSTALL_LIBEXECDIR}/grov-rage)
set(GROV_ICON_SIZES 64 128 256)

# The launcher finds the data and the game relative to its own directory, so that any prefix
# works, also when the files are staged under DESTDIR or unpacked from the package elsewhere.
function(grov_path_from_bindir out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    file(RELATIVE_PATH relative "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${dir}")
    set(${out} "${relative}" PARENT_SCOPE)
  endif()
endfunction()
grov_path_from_bindir(GROV_LAUNCHER_TO_DATA ${GROV_DATA_INSTALL_DIR})
grov_path_from_bindir(GROV_LAUNCHER_TO_GAME ${GROV_GAME_INSTALL_DIR}/grov-rage)
configure_file(${CMAKE_SOURCE_DIR}/packaging/grov-rage.in ${CMAKE_BINARY_DIR}/packaging/grov-rage @ONLY)

install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/grov-rage DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS grov-rage RUNTIME DESTINATION ${GROV_GAME_INSTALL_DIR})

install(FILES ${CMAKE_SOURCE_DIR}/settings.txt DESTINATION ${GROV_DATA_INSTALL_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/shader DESTINATION ${GROV_DATA_INSTALL_DIR})
# The generated data, from the run directory the build fills; icons/ too, which the game sets as
# its window's own icon.
install(DIRECTORY ${GROV_GAME_DIR}/res ${GROV_GAME_DIR}/assets ${GROV_GAME_DIR}/icons
        DESTINATION ${GROV_DATA_INSTALL_DIR})

install(FILES ${CMAKE_SOURCE_DIR}/packaging/${GROV_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${GROV_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${GROV_ICON_SIZES})
  install(FILES ${GROV_GAME_DIR}/icons/grov-rage-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${GROV_APP_ID}.png)
endforeach()

# cpack -G DEB: the package grov-rage, installed under /usr.
set(CPACK_PACKAGE_NAME grov-rage)
set(CPACK_PACKAGE_VENDOR "The Grov Rage developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D arcade game: hurl Grov as far as he will fly")
# The long description, wrapped as Debian's control files want it.
set(CPACK_PACKAGE_DESCRIPTION [=[
Stop the spinning arrow on the power wheel, and Grov is hurled over an
endless hilly landscape. Steer him in the air, bounce him off the ground,
land him on the moving tanks to be thrown up again, and spend his rage on
a dive. Every game is one throw, and the distance he reaches is the score.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Grov Rage developers <grov-rage@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the libraries the game links. The OpenGL driver itself is loaded at run
# time, so it is named here: Mesa's, or another vendor's GLX implementation.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri | libglx-vendor")
# The data is mostly already compressed images; gzip packs it in a few seconds.
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
include(CPack)
