# cmake --install: the programs live in one folder of their own together with
# the example configuration files, since that folder is where both programs
# look for configuration files when the editor's folder is not recorded.
# Links in bin/ make them callable; the programs resolve their own folder
# through the link.
include(GNUInstallDirs)
set(QVR_INSTALL_PROGRAM_DIR lib/qvrviewer)

install(TARGETS qvrviewer RUNTIME DESTINATION ${QVR_INSTALL_PROGRAM_DIR})
set(qvr_linked_programs qvrviewer)
if(TARGET qvrreport)
    install(TARGETS qvrreport RUNTIME DESTINATION ${QVR_INSTALL_PROGRAM_DIR})
    list(APPEND qvr_linked_programs qvrreport)
endif()

file(GLOB qvr_example_configs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/config/*.cfg)
if(qvr_example_configs)
    install(FILES ${qvr_example_configs} DESTINATION ${QVR_INSTALL_PROGRAM_DIR})
endif()

foreach(program IN LISTS qvr_linked_programs)
    install(CODE "
        set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(CREATE_LINK \"../${QVR_INSTALL_PROGRAM_DIR}/${program}\" \"\${link}\" SYMBOLIC)
        message(STATUS \"Linking: \${link}\")
    ")
endforeach()
