# Run by cpack on the .deb just made, before it is copied out: a package whose
# dependencies were not worked out is deleted, so none is left to install.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND dpkg-deb --field ${deb} Depends OUTPUT_VARIABLE depends RESULT_VARIABLE failed)
  if(failed OR NOT depends MATCHES "(^|, )libc6( |,|$)" OR NOT depends MATCHES "libqt6widgets6")
    file(REMOVE ${CPACK_PACKAGE_FILES})
    message(FATAL_ERROR "The package does not depend on the C library and Qt (Depends: ${depends}); "
                        "dpkg-shlibdeps did not work them out, so no package is made.")
  endif()
endforeach()
