# Runs the sample headless in its own prefix under the build folder and checks that the
# update succeeds and that exactly the pack's files changed in the game folder.
# Usage: cmake -DBINARY_DIR=... -DSOURCE_DIR=... -P check-sample-run.cmake
set(ENV{LANGUPDATE_BUILD_DIR} "${BINARY_DIR}")
set(ENV{LANGUPDATE_SAMPLE_DIR} "${BINARY_DIR}/sample-test")
execute_process(COMMAND bash "${SOURCE_DIR}/tools/sample-run.sh" --no-build --headless
                OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
message("${output}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the sample run ended with ${status}, expected 0")
endif()
set(expected [=[
Message box "Tessary Language Pack" (question icon; OK, Cancel)
    This program will update languages in Tessary. Press the OK button to continue.
  -> OK
Message box "Tessary Language Pack" (information icon; OK)
    Updating has been successful. Now start Tessary via Tessary Options in the Start menu and choose your language.
  -> OK
LangUpdate.exe ended with exit code 0

Files changed in the game folder C:\Program Files\Lanternfall Studio\Tessary:
  file                          old bytes  new bytes
  Lang\French\dialogue.txt            new        129
  Lang\French\menu.txt                 35        102
  Lang\German\dialogue.txt             31        137
  Lang\German\menu.txt                 48         98
  Lang\Polish.txt                     new         83
  languages.cfg                        75         99
]=])
string(LENGTH "${output}" output_length)
string(LENGTH "${expected}" expected_length)
string(FIND "${output}" "${expected}" found REVERSE)
math(EXPR end "${found} + ${expected_length}")
if(found EQUAL -1 OR NOT end EQUAL output_length)
  message(FATAL_ERROR "the sample run's boxes or changed files differ from:\n${expected}")
endif()
