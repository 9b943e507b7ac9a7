# Runs at install time, where CMAKE_INSTALL_PREFIX is the prefix the files end
# up under (cpack and `cmake --install --prefix` choose it only then). Writes
# the start script and the launcher with absolute paths below that prefix.
#   In: BMI_SOURCE_DIR, BMI_STAGE_DIR, BMI_BINDIR, BMI_DATADIR

foreach(dir BMI_BINDIR BMI_DATADIR)
  if(NOT IS_ABSOLUTE "${${dir}}")
    set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
  endif()
endforeach()

set(BMI_INSTALLED_PROGRAM "${BMI_BINDIR}/bmi-pondra")
set(BMI_INSTALLED_SAMPLES "${BMI_DATADIR}/bmi-pondra")
set(start_script "${BMI_BINDIR}/bmi-pondra-start")

# The script holds the paths in single quotes.
if(BMI_INSTALLED_PROGRAM MATCHES "'" OR BMI_INSTALLED_SAMPLES MATCHES "'")
  message(FATAL_ERROR "The install prefix must not contain a single quote: ${CMAKE_INSTALL_PREFIX}")
endif()

# A launcher's Exec line takes a plain path as it is; any other is quoted, with
# the quoting and escaping rules of the desktop entry format.
if(start_script MATCHES "^[A-Za-z0-9/._+-]+$")
  set(BMI_START_COMMAND "${start_script}")
else()
  set(quoted "${start_script}")
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  foreach(special "\"" "`" "$")
    string(REPLACE "${special}" "\\${special}" quoted "${quoted}")
  endforeach()
  string(REPLACE "%" "%%" quoted "${quoted}")
  # The entry's own string escaping doubles every backslash once more.
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  set(BMI_START_COMMAND "\"${quoted}\"")
endif()

configure_file("${BMI_SOURCE_DIR}/scripts/start-station.sh" "${BMI_STAGE_DIR}/bmi-pondra-start" @ONLY)
configure_file("${BMI_SOURCE_DIR}/packaging/bmi-pondra.desktop.in" "${BMI_STAGE_DIR}/bmi-pondra.desktop" @ONLY)
