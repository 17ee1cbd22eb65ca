# Run by cpack on the staged files, before the .deb is made.

# Without dpkg-shlibdeps CPack only says so in passing and makes a package that
# depends on no library at all: installed on a machine without Qt, it would not start.
# (CPack's own search also looks in the system's folders; PATH is what a shell sees.)
find_program(shlibdeps dpkg-shlibdeps NO_CACHE NO_DEFAULT_PATH PATHS ENV PATH)
if(NOT shlibdeps)
  message(FATAL_ERROR "dpkg-shlibdeps is not on PATH, so the package's dependencies on the C library "
                      "and Qt cannot be worked out; no package is made. Install it with: "
                      "scripts/install-deps --package (the Debian package dpkg-dev).")
endif()

# The compilers' version strings in .comment are no use to anyone running the game;
# Debian's own packages are built without them.
foreach(program IN LISTS CPACK_HOPSTONE_PROGRAMS)
  execute_process(COMMAND ${CPACK_HOPSTONE_OBJCOPY} --remove-section=.comment
                          ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${program} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${CPACK_HOPSTONE_OBJCOPY} could not remove the .comment section of ${program}")
  endif()
endforeach()
