# The Debian package, built from the install rules by `cpack -G DEB` in the
# build folder (or `make package` at the top): sanzionario_<version>_<arch>.deb
# under /usr, the program stripped, the manual pages compressed with
# `gzip -9n` as Debian does, dependencies computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sanzionario)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Sanzionario maintainers")
set(CPACK_PACKAGE_CONTACT
    "Sanzionario maintainers <maintainers@users.noreply.c-seed-14832e01.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "console archive of traffic fines, vehicle owners and payments (Italian)")
# The extended description, wrapped as Debian wants it; a blank line
# separates paragraphs.
file(READ ${CMAKE_CURRENT_LIST_DIR}/description.txt CPACK_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_PACKAGE_DESCRIPTION}" CPACK_PACKAGE_DESCRIPTION)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_LIST_DIR}/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/compress-man.cmake)
include(CPack)
