# Runs one batch invocation of tesvan and checks its exit status and, when a
# golden file is given or lies beside the script, its standard output.
#
#   cmake -DTESVAN=<binary> -DSCRIPT=<file.tesvan> -P run_batch.cmake
#     runs "tesvan --script=<file>"; a line "# exit: N" in the script names
#     the expected status (default 0); <file>.out, when present, is the
#     expected standard output.
#   cmake -DTESVAN=<binary> "-DARGS=<a|b|...>" [-DEXPECT_EXIT=N]
#         [-DEXPECT_OUT=<file>] [-DEXPECT_ERR=<file>] -P run_batch.cmake
#     runs tesvan with those arguments ("|" between them); EXPECT_ERR is the
#     expected standard error.
if(NOT TESVAN)
  message(FATAL_ERROR "TESVAN is not set")
endif()
if(NOT DEFINED EXPECT_EXIT)
  set(EXPECT_EXIT 0)
endif()
string(REPLACE "|" ";" ARGS "${ARGS}")
# Arguments may name the scratch folder as $TESVAN_TMP.
string(REPLACE "\$TESVAN_TMP" "$ENV{TESVAN_TMP}" ARGS "${ARGS}")
if(SCRIPT)
  set(ARGS "--script=${SCRIPT}")
  file(STRINGS "${SCRIPT}" exit_line REGEX "^# exit: [0-9]+" LIMIT_COUNT 1)
  if(exit_line)
    string(REGEX REPLACE "^# exit: ([0-9]+).*" "\\1" EXPECT_EXIT "${exit_line}")
  endif()
  string(REGEX REPLACE "\\.tesvan$" ".out" golden "${SCRIPT}")
  if(EXISTS "${golden}" AND NOT EXPECT_OUT)
    set(EXPECT_OUT "${golden}")
  endif()
endif()

# PRESETS names a SetSize.txt: the program runs from a copy that has it beside.
if(PRESETS)
  set(bin "$ENV{TESVAN_TMP}/presets-bin")
  file(MAKE_DIRECTORY "${bin}")
  file(COPY "${TESVAN}" "${PRESETS}" DESTINATION "${bin}")
  get_filename_component(exe "${TESVAN}" NAME)
  set(TESVAN "${bin}/${exe}")
endif()

execute_process(COMMAND "${TESVAN}" ${ARGS}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)

set(failed FALSE)
if(NOT "${status}" STREQUAL "${EXPECT_EXIT}")
  message("exit status ${status}, expected ${EXPECT_EXIT}")
  set(failed TRUE)
endif()
if(EXPECT_OUT)
  file(READ "${EXPECT_OUT}" want)
  if(NOT "${out}" STREQUAL "${want}")
    message("standard output differs from ${EXPECT_OUT}; expected:\n${want}")
    set(failed TRUE)
  endif()
endif()
if(EXPECT_ERR)
  file(READ "${EXPECT_ERR}" want)
  if(NOT "${err}" STREQUAL "${want}")
    message("standard error differs from ${EXPECT_ERR}; expected:\n${want}")
    set(failed TRUE)
  endif()
endif()
if(failed)
  message(FATAL_ERROR "tesvan ${ARGS}\n--- stdout\n${out}--- stderr\n${err}")
endif()
