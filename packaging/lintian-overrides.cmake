# Run by CPack once the files to package are installed in its staging
# folder: adds lintian's overrides, each with its reason, which belong to
# the package only (an installation from the sources has no use for them).
set(cartella "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/lintian/overrides")
file(MAKE_DIRECTORY "${cartella}")
file(COPY_FILE "${CMAKE_CURRENT_LIST_DIR}/debian/lintian-overrides" "${cartella}/sanzionario")
file(CHMOD "${cartella}/sanzionario" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
