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
