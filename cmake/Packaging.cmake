# Installation and the Debian package.
#
# Tessel keeps its registry beside its binary, so the installation is an
# application directory (TESSEL_INSTALL_APPDIR) that holds the program, its
# command-line tools and the registry files, plus launchers in bin/, a desktop
# entry, an icon and a manual page under the prefix. The registry files are
# placed only when they are missing: an installation never replaces a
# registry that is in use. Pristine copies stay in the samples/ folder of the
# application directory.

include(GNUInstallDirs)

set(TESSEL_INSTALL_APPDIR "/opt/velum/tessel" CACHE PATH
    "Application directory (absolute): the program, its tools and the registry it edits")
set(TESSEL_GROUP "velum" CACHE STRING
    "Group whose members may register data sources (Debian package)")

# The desktop entry and the launchers name it, wherever the prefix is.
if(NOT IS_ABSOLUTE "${TESSEL_INSTALL_APPDIR}")
  message(FATAL_ERROR "TESSEL_INSTALL_APPDIR must be an absolute path")
endif()

set(programs tessel tessel-admin tessel-ini)
install(TARGETS ${programs} RUNTIME DESTINATION "${TESSEL_INSTALL_APPDIR}" COMPONENT Application)

# The launchers start the programs where they live, so that each finds the
# registry beside itself.
foreach(program IN LISTS programs)
  install(CODE "
    set(launcher \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"${TESSEL_INSTALL_APPDIR}/${program}\" \"\${launcher}\" SYMBOLIC)
    message(STATUS \"Launcher: \${launcher}\")"
    COMPONENT Application)
endforeach()

# The sample registry names files of the application directory it is made for.
function(tessel_configure_installed_registry)
  set(TESSEL_APP_DIR "${TESSEL_INSTALL_APPDIR}")
  configure_file(${PROJECT_SOURCE_DIR}/data/TESSEL.INI.in ${CMAKE_BINARY_DIR}/packaging/TESSEL.INI
                 @ONLY NEWLINE_STYLE CRLF)
endfunction()
tessel_configure_installed_registry()
get_directory_property(sampleFiles DIRECTORY "${PROJECT_SOURCE_DIR}/data"
                       DEFINITION TESSEL_SAMPLE_FILES)
list(FILTER sampleFiles EXCLUDE REGEX "/TESSEL\\.INI$")
list(APPEND sampleFiles ${CMAKE_BINARY_DIR}/packaging/TESSEL.INI)
install(FILES ${sampleFiles} DESTINATION "${TESSEL_INSTALL_APPDIR}/samples" COMPONENT Application)

# Places the samples that the application directory lacks. The Debian package
# leaves this to its postinst script, so that the registry files belong to
# the site and not to the package, which would replace them on an upgrade.
install(CODE "
  file(GLOB FILES \"\$ENV{DESTDIR}${TESSEL_INSTALL_APPDIR}/samples/*\")
  set(DESTINATION \"\$ENV{DESTDIR}${TESSEL_INSTALL_APPDIR}\")
  include(\"${PROJECT_SOURCE_DIR}/data/CopyIfMissing.cmake\")"
  COMPONENT Registry)

configure_file(${CMAKE_CURRENT_LIST_DIR}/../packaging/tessel.desktop.in
               ${CMAKE_BINARY_DIR}/packaging/tessel.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/tessel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT Application)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tessel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT Application)
install(FILES ${PROJECT_SOURCE_DIR}/docs/tessel-admin.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Application)
# The Ansible module; under the prefix /usr, where Ansible looks for modules
# without configuration.
install(FILES ${PROJECT_SOURCE_DIR}/integrations/ansible/library/tessel_datasource.py
        DESTINATION ${CMAKE_INSTALL_DATADIR}/ansible/plugins/modules COMPONENT Application)

# cpack -G DEB: one package of the Application component.
configure_file(${CMAKE_CURRENT_LIST_DIR}/../packaging/postinst.in
               ${CMAKE_BINARY_DIR}/packaging/postinst @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR "Velum GIS")
set(CPACK_PACKAGE_CONTACT "Velum GIS support <support@velum-gis.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Data source registration utility of Velum GIS")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessel edits TESSEL.INI, the registry of the data sources that Velum GIS draws its maps from.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL Application)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The postinst script creates the group with addgroup.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser")
# The windows' font, Arial, resolves to its metric twin from the first
# package; the second translates Qt's own texts (message box buttons, the file
# dialog) into the language Tessel is set to.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
