# Run by cpack once the install rules have staged the package's tree and before the archive is
# made: what a Debian package holds beyond the install rules. Manual pages are compressed, and the
# package's documentation folder gets the copyright file (machine-readable, from LICENSE) and
# changelog.Debian.gz (from cmake/debian/changelog).

set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
if(NOT IS_DIRECTORY "${stage}/usr/bin")
  message(FATAL_ERROR "no staged tree with usr/bin at '${stage}'")
endif()

# gzip -n leaves out the name and time, so the same pages give the same bytes.
file(GLOB pages "${stage}/usr/share/man/man*/*.[1-9]")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

set(doc "${stage}/usr/share/doc/${CPACK_PATHLET_PACKAGE_NAME}")
file(MAKE_DIRECTORY "${doc}")

# The license text of LICENSE after its title and copyright line, in the copyright format's
# indented form: each line after one space, an empty line as " .".
file(STRINGS "${CPACK_PATHLET_SOURCE_DIR}/LICENSE" license_lines)
set(copyright_line "")
set(license_text "")
set(in_text FALSE)
foreach(line IN LISTS license_lines)
  if(line MATCHES "^Copyright \\(c\\) (.+)$")
    set(copyright_line "${CMAKE_MATCH_1}")
    set(in_text TRUE)
  elseif(in_text)
    if(line STREQUAL "")
      string(APPEND license_text " .\n")
    else()
      string(APPEND license_text " ${line}\n")
    endif()
  endif()
endforeach()
if(copyright_line STREQUAL "" OR license_text STREQUAL "")
  message(FATAL_ERROR "LICENSE has no 'Copyright (c) ...' line followed by the license text")
endif()
string(REGEX REPLACE "^ \\.\n" "" license_text "${license_text}")
file(WRITE "${doc}/copyright"
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Pathlet
Upstream-Contact: ${CPACK_DEBIAN_PACKAGE_MAINTAINER}

Files: *
Copyright: ${copyright_line}
Comment: Expat is this format's name for the MIT license.
License: Expat
${license_text}")

configure_file("${CPACK_PATHLET_SOURCE_DIR}/cmake/debian/changelog" "${doc}/changelog.Debian" COPYONLY)
execute_process(COMMAND gzip -9nf "${doc}/changelog.Debian" COMMAND_ERROR_IS_FATAL ANY)

# The compiler's version notes are of no use in an installed program (Debian's own packages drop
# them too).
file(GLOB programs "${stage}/usr/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND objcopy --remove-section=.comment "${program}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# The package is built outside Debian's archive: its first changelog entry closes no request for it
# there.
file(WRITE "${stage}/usr/share/lintian/overrides/${CPACK_PATHLET_PACKAGE_NAME}"
"${CPACK_PATHLET_PACKAGE_NAME}: initial-upload-closes-no-bugs *
")
