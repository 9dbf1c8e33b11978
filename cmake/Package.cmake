# cpack: the Debian package qvrviewer_VERSION_ARCH.deb of what cmake --install installs under
# /usr (scripts/package builds it). Its dependencies come from dpkg-shlibdeps. It has no
# maintainer scripts: dpkg's triggers of shared-mime-info and desktop-file-utils refresh the
# file type and launcher databases when files under their folders come or go.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qvrviewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Oktrel Viewer authors")
set(CPACK_PACKAGE_CONTACT "${QVR_MAINTAINER}")
if(QVR_HOMEPAGE)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QVR_HOMEPAGE}")
endif()
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for the presets of QVR multi-effects processors")
# CPack indents the lines and writes an empty one as " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The Oktrel Preset Viewer opens the preset and backup files of the Korvane QVR
family of guitar multi-effects processors (QVR-1, QVR-2, QVR-3, KDT-3 and
Tindrel3) and shows every preset as a readable report: modules, types, every
parameter value, modifiers and their links, in one to four columns.

qvrviewer is the desktop viewer. qvrreport writes the same report without a
window (HTML, text, CSV or JSON), for scripts and for machines without a
display, and compares two presets or backups. qvrcapture receives a dump
straight from the device over MIDI (ALSA or JACK) into a file. qvrlib splits,
joins and sends files, and keeps a searchable library of a collection.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The viewer hands printed PDFs to the print system through lp.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS cups-client)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_THREADS 2)
include(CPack)
