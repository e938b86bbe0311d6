# The Debian package: the program in bin/, the help file and the empty tournament file in
# share/velmora/, where the program looks for them when it is installed, the menu entry, the
# AppStream metainfo, the icon and the licence texts.  Built by scripts/package.sh.
include(GNUInstallDirs)

# The package is made from targets already built: installing must not build every test.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(VELMORA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS Velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/Velmora.hlp
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)
# A fresh empty file, written at install time: the build folder's Velmora.dat may hold a
# tournament in progress.
install(CODE "
    set(model \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/velmora/Velmora.dat\")
    file(REMOVE \"\${model}\")
    execute_process(COMMAND \"$<TARGET_FILE:velmora-newdb>\" \"\${model}\" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR \"velmora-newdb could not write \${model}\")
    endif()
    file(CHMOD \"\${model}\" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)")
install(FILES ${VELMORA_PACKAGING_DIR}/velmora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VELMORA_PACKAGING_DIR}/velmora.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/velmora.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
install(FILES ${VELMORA_PACKAGING_DIR}/copyright ${PROJECT_SOURCE_DIR}/resources/icons/LICENSE.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)
# Debian wants the changelog of a native package and the manual page compressed, reproducibly.
foreach(pair "doc/velmora:changelog" "man/man1:Velmora.1")
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 folder)
    list(GET pair 1 name)
    install(CODE "
        set(to \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/${folder}\")
        file(MAKE_DIRECTORY \"\${to}\")
        execute_process(COMMAND gzip -9n -c \"${VELMORA_PACKAGING_DIR}/${name}\"
                        OUTPUT_FILE \"\${to}/${name}.gz\" RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR \"gzip failed on ${name}\")
        endif()")
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "organiser un tournoi de tarot de club")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora aide l'organisateur d'un tournoi de tarot de club, sur un seul
ordinateur : inscription des joueurs, tirage des places et des tables de
chaque manche, impression des listes de tables, des grilles de comptage et
du classement, saisie des scores de chaque table.
.
Tout le tournoi tient dans un fichier protégé par un mot de passe, dans le
dossier personnel de l'utilisateur (~/.local/share/Velmora).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmora <velmora@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links, read from the binary by dpkg-shlibdeps; the fonts the
# printed pages are laid out for, and Qt's French button texts, besides.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
