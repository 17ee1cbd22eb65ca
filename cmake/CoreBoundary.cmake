# Fails the build when a file of the game's rules reaches outside what it may see:
# board/ includes only board/, modes/ only board/ and modes/, and neither includes
# anything but the standard library. Every include is checked as written, so a
# relative path ("../shell/...") or a header found some other way is refused too, in
# every file at any depth, whatever its name.
# Run as: cmake -DROOT=<source folder> -DSTAMP=<file to touch> -P CoreBoundary.cmake
set(allowed_board "board")
set(allowed_modes "board|modes")
set(faults "")
foreach(folder board modes)
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${folder}/*)
  foreach(file ${files})
    file(STRINGS ${ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
      if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"(${allowed_${folder}})/([A-Za-z0-9_]+/)*[A-Za-z0-9_]+\\.h\"")
      elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<[a-z_]+>")
      else()
        string(APPEND faults "\n  ${file}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "The rules of the game may include only their own folders and the standard library:${faults}")
endif()
file(TOUCH ${STAMP})
