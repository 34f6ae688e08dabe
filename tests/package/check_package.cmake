# Builds the .deb from a finished build, lists its contents without
# installing it, checks that everything a desktop needs is there, and runs
# lintian (when present), failing on its errors only.
#   cmake -DBUILD=<build dir> -DCPACK=<cpack> -P check_package.cmake
set(out "${BUILD}/package-test")
file(REMOVE_RECURSE "${out}")
execute_process(COMMAND "${CPACK}" --config "${BUILD}/CPackConfig.cmake" -B "${out}"
  RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()
file(GLOB debs "${out}/tesvan_*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one tesvan_*.deb in ${out}, found: ${debs}")
endif()
execute_process(COMMAND dpkg-deb -c ${debs} OUTPUT_VARIABLE contents RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -c failed")
endif()
message("${contents}")
foreach(path
    ./usr/bin/tesvan
    ./usr/share/applications/tesvan.desktop
    ./usr/share/mime/packages/tesvan.xml
    ./usr/share/metainfo/org.lumo.Tesvan.metainfo.xml
    ./usr/share/man/man1/tesvan.1.gz
    ./usr/share/doc/tesvan/copyright
    ./usr/share/icons/hicolor/scalable/apps/tesvan.svg
    ./usr/share/icons/hicolor/16x16/apps/tesvan.png
    ./usr/share/icons/hicolor/48x48/apps/tesvan.png
    ./usr/share/icons/hicolor/256x256/apps/tesvan.png)
  string(FIND "${contents}" " ${path}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package lacks ${path}")
  endif()
endforeach()
execute_process(COMMAND dpkg-deb -f ${debs} Depends OUTPUT_VARIABLE depends)
message("Depends: ${depends}")
if(NOT depends MATCHES "libqt6widgets6")
  message(FATAL_ERROR "the dependencies do not name the Qt libraries: ${depends}")
endif()
find_program(LINTIAN lintian)
if(LINTIAN)
  execute_process(COMMAND ${LINTIAN} --tag-display-limit 0 ${debs}
    OUTPUT_VARIABLE report ERROR_VARIABLE ignored)
  message("lintian:\n${report}")
  if(report MATCHES "(^|\n)E: ")
    message(FATAL_ERROR "lintian reports errors")
  endif()
endif()
