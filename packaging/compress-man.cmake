# Run by CPack once the files to package are installed in its staging
# folder: compresses the manual pages and the changelog there as Debian
# does (gzip -9n, no name or time stamp inside, so the package is the same
# at every build).
file(GLOB_RECURSE pagine "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/*.[1-9]")
if(NOT pagine)
  message(FATAL_ERROR "no manual page found under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
file(GLOB_RECURSE changelog "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/*/changelog")
foreach(pagina IN LISTS pagine changelog)
  execute_process(COMMAND gzip -9nf "${pagina}" RESULT_VARIABLE esito)
  if(NOT esito EQUAL 0)
    message(FATAL_ERROR "gzip ${pagina}: ${esito}")
  endif()
endforeach()
