# cmake --install: the programs live in one folder of their own together with the
# example configuration files, since their folder is where they look for
# configuration files when the editor's folder is not recorded. Links in bin/
# make them callable; the programs resolve their own folder through the link.
include(GNUInstallDirs)
set(QVR_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/qvrviewer)

file(GLOB qvr_installed_configs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/config/*.cfg)
install(FILES ${qvr_installed_configs} DESTINATION ${QVR_INSTALL_PROGRAM_DIR})

foreach(program qvrviewer qvrreport)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${QVR_INSTALL_PROGRAM_DIR})
        install(CODE "
            set(bindir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
            file(MAKE_DIRECTORY \"\${bindir}\")
            file(CREATE_LINK \"../${QVR_INSTALL_PROGRAM_DIR}/${program}\" \"\${bindir}/${program}\" SYMBOLIC)
            message(STATUS \"Linking: \${bindir}/${program}\")
        ")
    endif()
endforeach()

# Desktop integration, where freedesktop.org and Debian look for it. Every manual page and
# completion script of data/ is installed, whichever program it belongs to.
install(FILES ${QVR_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QVR_MIME_PACKAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${QVR_COMPLETIONS} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/qvrviewer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(png IN LISTS QVR_ICON_PNGS)
    get_filename_component(size_dir ${png} DIRECTORY)
    get_filename_component(size ${size_dir} NAME)
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()
file(GLOB qvr_metainfo CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/metainfo/*.metainfo.xml)
install(FILES ${qvr_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(page IN LISTS QVR_MAN_PAGES)
    string(REGEX REPLACE "^.*\\.([1-8])\\.gz$" "\\1" section ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
