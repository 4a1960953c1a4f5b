# Run by CPack after it has built the packages (CPACK_PACKAGE_FILES): takes
# out of each .deb the postinst and postrm that only run ldconfig. Our
# libraries live in private directories the loader never searches, so
# neither the scripts nor an ldconfig trigger would register anything.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${deb}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  set(changed FALSE)
  foreach(script postinst postrm)
    set(path ${tree}/DEBIAN/${script})
    if(EXISTS ${path})
      file(READ ${path} text)
      # Only what CPack wrote is dropped: its scripts run ldconfig and nothing else.
      string(REGEX REPLACE "#![^\n]*\n|set -e\n|if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then\n|[ \t]*ldconfig\n|fi\n|\n" "" rest "${text}")
      if(rest STREQUAL "")
        file(REMOVE ${path})
        set(changed TRUE)
      else()
        message(FATAL_ERROR "${deb}: ${script} does more than run ldconfig:\n${text}")
      endif()
    endif()
  endforeach()
  if(changed)
    execute_process(COMMAND dpkg-deb --root-owner-group -b ${tree} ${deb}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()
