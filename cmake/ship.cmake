# Moves a built file's debug information to FILE.debug beside it, for crash analysis, and leaves
# FILE with no symbols and a link to it (.gnu_debuglink):
#   cmake -D OBJCOPY=... -D STRIP=... -D FILE=... -D EPOCH_FILE=... -P ship.cmake
# objcopy and strip write the PE header's time stamp anew, from SOURCE_DATE_EPOCH when it is set:
# the last commit's time.
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${EPOCH_FILE} epoch LIMIT_COUNT 1)
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
execute_process(COMMAND ${OBJCOPY} --only-keep-debug ${FILE} ${FILE}.debug
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${STRIP} --strip-all ${FILE} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${OBJCOPY} --add-gnu-debuglink=${FILE}.debug ${FILE}
  COMMAND_ERROR_IS_FATAL ANY)
