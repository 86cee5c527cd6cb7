# Builds tarnwick-setup.exe with NSIS from tarnwick.nsi and both Windows builds:
#   cmake -D EXE64=... -D EXE32=... -D OUTFILE=... [-D SIGN=signer] -P <build>/pack-setup.cmake
# The 64-bit build writes pack-setup.cmake (installer/CMakeLists.txt); it sets the rest (MAKENSIS,
# NSI, FACTS, HELP, ICON, EPOCH_FILE) and includes this. SIGN signs the uninstaller before Setup
# packs it, and Setup (scripts/sign-file.sh).
#
# NSIS keeps each file's time, which it gives the installed file; the files it packs are copies
# dated at the last commit, so that the same files give the same Setup.
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${EPOCH_FILE} epoch LIMIT_COUNT 1)

file(REMOVE ${OUTFILE})
set(stage ${OUTFILE}.stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage})
set(defines -DFACTS=${FACTS} -DICON=${ICON} -DOUTFILE=${OUTFILE})
# Setup announces the space that the files take on the disk, in KiB.
foreach(name IN ITEMS EXE64 EXE32 HELP)
  file(COPY_FILE ${${name}} ${stage}/${name})
  file(SIZE ${stage}/${name} size)
  math(EXPR kib "(${size} + 1023) / 1024")
  list(APPEND defines -D${name}=${stage}/${name} -D${name}_KB=${kib})
endforeach()
execute_process(COMMAND touch -d @${epoch} EXE64 EXE32 HELP WORKING_DIRECTORY ${stage}
  COMMAND_ERROR_IS_FATAL ANY)
if(SIGN)
  list(APPEND defines -DSIGN=${SIGN})
endif()
execute_process(COMMAND ${MAKENSIS} -V2 -WX ${defines} ${NSI} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${stage})
