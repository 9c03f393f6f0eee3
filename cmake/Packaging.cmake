# Installation and Debian packages: one package per product, each holding its window program
# (when the build has it), its batch program, the shipped default settings file, a desktop
# entry, an icon, AppStream metainfo and the batch program's manual page.
include(GNUInstallDirs)

set(SUITE_PACKAGE_VERSION "1.0.1")
set(SUITE_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
find_program(SUITE_GZIP gzip REQUIRED)

# suite_install_product(<component> <Product> <window target> <cli target> <default settings>)
function(suite_install_product component product window cli settings)
    set(appid org.quillonsuite.${product})
    set(src ${SUITE_PACKAGING_DIR}/${component})
    set(gen ${CMAKE_BINARY_DIR}/packaging/${component})
    foreach(target IN ITEMS ${window} ${cli})
        if(TARGET ${target})
            install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
                COMPONENT ${component})
        endif()
    endforeach()
    # An installed program finds its shipped default at ../share/<package>/ from bin/.
    install(FILES ${settings} DESTINATION ${CMAKE_INSTALL_DATADIR}/${component}
        COMPONENT ${component})
    # The menu entry, its icon and the metainfo describe the window: shipped with it only.
    configure_file(${src}/${appid}.metainfo.xml ${gen}/${appid}.metainfo.xml @ONLY)
    if(TARGET ${window})
        install(FILES ${src}/${appid}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
            COMPONENT ${component})
        install(FILES ${src}/${appid}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
            COMPONENT ${component})
        install(FILES ${gen}/${appid}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
            COMPONENT ${component})
    endif()

    # Debian wants manual pages and the changelog compressed, reproducibly (-n: no time stamp).
    set(man ${gen}/${cli}.1.gz)
    set(changelog ${gen}/changelog.Debian.gz)
    add_custom_command(OUTPUT ${man} ${changelog}
        COMMAND ${SUITE_GZIP} -9nc ${src}/${cli}.1 > ${man}
        COMMAND ${SUITE_GZIP} -9nc ${SUITE_PACKAGING_DIR}/changelog > ${changelog}
        DEPENDS ${src}/${cli}.1 ${SUITE_PACKAGING_DIR}/changelog VERBATIM)
    set(docs ${man} ${changelog})
    if(TARGET ${window})
        set(windowman ${gen}/${window}.1.gz)
        add_custom_command(OUTPUT ${windowman}
            COMMAND ${SUITE_GZIP} -9nc ${src}/${window}.1 > ${windowman}
            DEPENDS ${src}/${window}.1 VERBATIM)
        list(APPEND docs ${windowman})
        install(FILES ${windowman} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
            COMPONENT ${component})
    endif()
    add_custom_target(${component}_docs ALL DEPENDS ${docs})
    install(FILES ${man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
    install(FILES ${SUITE_PACKAGING_DIR}/copyright ${changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${component} COMPONENT ${component})
endfunction()

suite_install_product(quillon Quillon Quillon quillon-cli
    ${PROJECT_SOURCE_DIR}/samples/quillon/Quillon.ini)
suite_install_product(sondex Sondex Sondex sondex-cli
    ${PROJECT_SOURCE_DIR}/samples/sondex/Sondex.ini)
suite_install_product(quillon-orlo QuillonOrlo QuillonOrlo quillon-orlo-cli
    ${PROJECT_SOURCE_DIR}/samples/quillon_orlo/QuillonOrlo.ini)

set(CPACK_PACKAGE_NAME "quillon-suite")
set(CPACK_PACKAGE_VENDOR "Quillon team")
set(CPACK_PACKAGE_CONTACT "Quillon team <quillon-team@example.org>")
set(CPACK_PACKAGE_VERSION ${SUITE_PACKAGE_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_COMPONENTS_ALL quillon sondex quillon-orlo)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Dependencies are what the programs actually link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_QUILLON_PACKAGE_NAME "quillon")
set(CPACK_DEBIAN_SONDEX_PACKAGE_NAME "sondex")
set(CPACK_DEBIAN_QUILLON-ORLO_PACKAGE_NAME "quillon-orlo")
set(CPACK_COMPONENT_QUILLON_DESCRIPTION
    "analyse DDR and eMMC timing-scan logs\nQuillon reads DDR (lpDDR, lpDDR2, DDR3), Hynix and eMMC scan logs,\nshows pass/fail grids and statistics and writes the best parameters\ninto firmware images; quillon-cli runs the same analysis in scripts.")
set(CPACK_COMPONENT_SONDEX_DESCRIPTION
    "analyse KestinX LPDDR per-pin scan tables\nSondex opens a folder of KestinX LPDDR2/3/4 scan tables, measures the\npass widths and judges the folder; sondex-cli runs the same analysis in\nscripts.")
set(CPACK_COMPONENT_QUILLON-ORLO_DESCRIPTION
    "analyse Orlo DDR scans at three temperatures\nQuillonOrlo merges Orlo logs taken at normal, low and high temperature,\njudges them and recommends a parameter set; quillon-orlo-cli runs the\nsame analysis in scripts.")
include(CPack)

# Installs into a scratch DESTDIR and runs the installed batch programs, then builds and
# checks the packages (scripts/package-test.sh). Not in the sanitizer build.
if(NOT SUITE_SANITIZE)
    add_test(NAME package_install
        COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/package-test.sh ${CMAKE_BINARY_DIR})
    set_tests_properties(package_install PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()
