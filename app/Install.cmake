# cmake --install: the viewer lives in a folder of its own together with the
# example configuration files, since its folder is where it looks for
# configuration files when the editor's folder is not recorded. A link in bin/
# makes it callable; the program resolves its own folder through the link.
# (qvrreport installs itself, with its own copy of the configuration files.)
include(GNUInstallDirs)
set(QVR_INSTALL_PROGRAM_DIR lib/qvrviewer)

install(TARGETS qvrviewer RUNTIME DESTINATION ${QVR_INSTALL_PROGRAM_DIR})

file(GLOB qvr_example_configs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/config/*.cfg)
if(qvr_example_configs)
    install(FILES ${qvr_example_configs} DESTINATION ${QVR_INSTALL_PROGRAM_DIR})
endif()

install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/qvrviewer\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"../${QVR_INSTALL_PROGRAM_DIR}/qvrviewer\" \"\${link}\" SYMBOLIC)
    message(STATUS \"Linking: \${link}\")
")
