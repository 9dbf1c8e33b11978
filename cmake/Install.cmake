# cmake --install: the programs in bin/, the example configuration files in share/qvrviewer/,
# where the programs look for them relative to their own folder (platform/ProgramPath.h).
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(QVR_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/qvrviewer)

install(TARGETS qvrreport qvrlib RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Left out of a build without the viewer (QVR_BUILD_APP) or without MIDI (QVR_BUILD_MIDI).
foreach(program qvrviewer qvrcapture)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
file(GLOB qvr_installed_configs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/config/*.cfg)
install(FILES ${qvr_installed_configs} DESTINATION ${QVR_INSTALL_DATA_DIR})
# The JSON Schema of qvrreport --format json, for the scripts that read it.
install(FILES ${PROJECT_SOURCE_DIR}/data/qvr-presets.schema.json DESTINATION ${QVR_INSTALL_DATA_DIR})

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
install(FILES ${QVR_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(page IN LISTS QVR_MAN_PAGES)
    string(REGEX REPLACE "^.*\\.([1-8])\\.gz$" "\\1" section ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# The package's own documents, where Debian keeps them.
install(FILES ${PROJECT_SOURCE_DIR}/data/package/copyright ${QVR_CHANGELOG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qvrviewer)
