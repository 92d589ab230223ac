# The file lists of the Debian packages, read back from the .deb files that cpack builds into
# BUILD_DIR/packaging-check (nothing is installed on the machine). Run by CTest:
#   cmake -DBUILD_DIR=... -DCPACK=... -DHAVE_VELKPORT=0|1 -P CheckPackages.cmake
cmake_minimum_required(VERSION 3.25)
set(out ${BUILD_DIR}/packaging-check)
file(REMOVE_RECURSE ${out})
execute_process(COMMAND ${CPACK} -G DEB -B ${out} --config ${BUILD_DIR}/CPackConfig.cmake
                RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()

set(failures "")
macro(fail text)
  string(APPEND failures "  ${text}\n")
endmacro()

# The paths in one package, one list entry each, as "./usr/...".
function(package_files deb var)
  execute_process(COMMAND dpkg-deb -c ${deb} RESULT_VARIABLE rc OUTPUT_VARIABLE listing)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -c ${deb} failed")
  endif()
  string(REGEX REPLACE "[^\n]* (\\./[^\n]*)" "\\1" listing "${listing}")
  string(REGEX REPLACE "/?\n" ";" listing "${listing}")
  list(FILTER listing EXCLUDE REGEX "^$")
  set(${var} "${listing}" PARENT_SCOPE)
endfunction()

function(package_field deb field var)
  execute_process(COMMAND dpkg-deb -f ${deb} ${field} OUTPUT_VARIABLE value
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(${var} "${value}" PARENT_SCOPE)
endfunction()

set(velkport_required
    ./usr/bin/velkctl ./usr/bin/receiver-sim ./usr/share/velkport/lang/config.ini
    ./usr/share/man/man1/velkctl.1.gz ./usr/share/man/man1/receiver-sim.1.gz)
if(HAVE_VELKPORT)
  list(APPEND velkport_required ./usr/bin/velkport ./usr/share/applications/velkport.desktop
       ./usr/share/icons/hicolor/scalable/apps/velkport.svg)
endif()
set(corvid_required
    ./usr/bin/corvid ./usr/lib/systemd/user/corvid.service ./usr/share/man/man1/corvid.1.gz
    ./usr/share/corvid/web/ContentDirectory.xml ./usr/share/corvid/web/ConnectionManager.xml)
# What belongs to the other package, and what belongs in no package at all.
set(velkport_foreign "corvid")
set(corvid_foreign "velk|receiver-sim")
set(nowhere "/include/|\\.a$|/tests?/|/fuzz/|/bench/|-stage$")

foreach(package velkport corvid)
  file(GLOB debs ${out}/${package}_*.deb)
  list(LENGTH debs n)
  if(NOT n EQUAL 1)
    fail("${package}: ${n} packages named ${package}_*.deb in ${out}")
    continue()
  endif()
  package_field(${debs} Package name)
  if(NOT name STREQUAL package)
    fail("${package}: the package calls itself '${name}'")
  endif()
  package_files(${debs} files)
  foreach(path ${${package}_required})
    if(NOT path IN_LIST files)
      fail("${package}: ${path} is missing")
    endif()
  endforeach()
  foreach(path ${files})
    if(NOT path MATCHES "^\\./usr(/|$)" AND NOT path STREQUAL ".")
      fail("${package}: ${path} lies outside /usr")
    elseif(path MATCHES "${nowhere}")
      fail("${package}: ${path} is a build or test file")
    elseif(path MATCHES "^\\./usr/(bin|share/man/man1)/.*(${${package}_foreign})")
      fail("${package}: ${path} belongs to the other package")
    endif()
  endforeach()
  set(${package}_files "${files}")
  set(${package}_deb "${debs}")
endforeach()

# The systemd user unit starts a program that the package installs.
if(corvid_deb)
  execute_process(COMMAND dpkg-deb --fsys-tarfile ${corvid_deb} OUTPUT_FILE ${out}/corvid.tar)
  execute_process(COMMAND tar -xOf ${out}/corvid.tar ./usr/lib/systemd/user/corvid.service
                  OUTPUT_VARIABLE unit)
  if(NOT unit MATCHES "\nExecStart=([^ \n]+)")
    fail("corvid.service: no ExecStart line")
  else()
    set(program "${CMAKE_MATCH_1}")
    set(path "${program}")
    if(NOT path MATCHES "^/")
      set(path "/usr/bin/${path}")  # systemd looks bare names up in /usr/local/bin, /usr/bin, ...
    endif()
    if(NOT ".${path}" IN_LIST corvid_files)
      fail("corvid.service starts ${program}, which the package does not install")
    endif()
  endif()
endif()

if(failures)
  message(FATAL_ERROR "The Debian packages are not as they should be:\n${failures}")
endif()
message(STATUS "velkport and corvid packages: file lists as expected")
