# The Debian package, built from the install rules by `cpack -G DEB` in the
# build folder (or `make package` at the top): sanzionario_<version>_<arch>.deb
# under /usr, the program stripped, the manual pages compressed with
# `gzip -9n` as Debian does, dependencies computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sanzionario)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Who answers for the package, and where its home is: set them for the
# office's own build (-DSANZ_MAINTAINER="Name <address>" -DSANZ_HOMEPAGE=URL).
# The maintainer defaults to DEBFULLNAME and DEBEMAIL, as Debian's own tools
# take them, and else to the project's address.
if(DEFINED ENV{DEBFULLNAME} AND DEFINED ENV{DEBEMAIL})
  set(SANZ_MAINTAINER_DEFAULT "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
else()
  set(SANZ_MAINTAINER_DEFAULT
      "Sanzionario maintainers <maintainers@users.noreply.c-seed-14832e01.example>")
endif()
set(SANZ_MAINTAINER "${SANZ_MAINTAINER_DEFAULT}" CACHE STRING
    "Maintainer of the Debian package: Name <address>")
set(SANZ_HOMEPAGE "https://sanzionario.c-seed-14832e01.example/" CACHE STRING
    "Home page of the Debian package")
set(CPACK_PACKAGE_VENDOR "Sanzionario maintainers")
set(CPACK_PACKAGE_CONTACT "${SANZ_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SANZ_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SANZ_HOMEPAGE}")
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
# The notices and reports in PDF embed DejaVu Sans, which no library the
# program links brings with it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# Debian's documents of the package: the machine-readable copyright file,
# the changelog (compressed with the manual pages, below; a native
# package's is changelog.gz).
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in
               ${CMAKE_BINARY_DIR}/debian/copyright @ONLY)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in voce LIMIT_COUNT 1)
if(NOT voce MATCHES "^sanzionario \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog.in: no entry for version ${PROJECT_VERSION}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in
               ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/compress-man.cmake
                            ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides.cmake)
# A package made with the placeholders above says so when it is built.
if(SANZ_MAINTAINER MATCHES "\\.example>$" OR SANZ_HOMEPAGE MATCHES "\\.example/")
  set(SANZ_SEGNAPOSTO ON)
else()
  set(SANZ_SEGNAPOSTO OFF)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/cpack-warning.cmake.in
               ${CMAKE_BINARY_DIR}/cpack-warning.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/cpack-warning.cmake)
include(CPack)
