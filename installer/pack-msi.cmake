# Builds a Windows Installer package from tarnwick.wxs with wixl:
#   cmake -D EXE=tarnwick.exe -D OUTPUT=package.msi [-D SIGN=signer] -P <build>/pack-<name>.cmake
# The build writes pack-<name>.cmake for each of its packages (installer/CMakeLists.txt); it sets
# the rest (WIXL, MSIBUILD, MSIINFO, FAKETIME, WXS, ARCH, FACTS, HELP, ICON, ACTIONS, EPOCH_FILE)
# and includes this. SIGN signs the package's own actions before they are packed, and the
# package (scripts/sign-file.sh).
#
# The same files give the same bytes wherever and whenever this runs. wixl takes its files from
# the folder it runs in, dates the cabinet's files by their own times and the package by the
# clock, and draws the product and package codes at random. So it runs in a folder of copies
# dated at the last commit, on a clock stopped at that time (faketime -f: a clock that only
# starts there moves on to the next second now and then before wixl reads it), and the codes are
# derived from what the package holds: a build of other files is another product, and replaces
# this one. The order of the package's actions is wixl's own only where tarnwick.wxs leaves it one
# choice; where it leaves two, wixl takes one by where its objects lie in memory, which changes
# from run to run (the comment above InstallExecuteSequence there). The release test packs each
# package again and compares (tests/win32/installer.sh).
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${EPOCH_FILE} epoch LIMIT_COUNT 1)
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP time "%Y-%m-%d %H:%M:%S" UTC)
set(ENV{TZ} UTC)
set(at_commit ${FAKETIME} -f ${time})

file(REMOVE ${OUTPUT})
set(stage ${OUTPUT}.stage)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage})
set(names tarnwick.exe help.chm tarnwick.ico package-actions.dll facts.wxi tarnwick.wxs)
set(files ${EXE} ${HELP} ${ICON} ${ACTIONS} ${FACTS} ${WXS})
set(content ${ARCH})
foreach(name file IN ZIP_LISTS names files)
  file(COPY_FILE ${file} ${stage}/${name})
endforeach()
if(SIGN)
  execute_process(COMMAND ${SIGN} ${stage}/package-actions.dll COMMAND_ERROR_IS_FATAL ANY)
endif()
foreach(name IN LISTS names)
  file(SHA256 ${stage}/${name} hash)
  string(APPEND content " ${name} ${hash}")
endforeach()
execute_process(COMMAND touch -d @${epoch} ${names} WORKING_DIRECTORY ${stage}
  COMMAND_ERROR_IS_FATAL ANY)

# Any fixed name space will do; it only keeps these codes apart from anybody else's.
set(namespace 25CF24AE-4B34-4AAE-A512-1E612CE6B701)
string(UUID product NAMESPACE ${namespace} NAME "product ${content}" TYPE SHA1 UPPER)
string(UUID package NAMESPACE ${namespace} NAME "package ${content}" TYPE SHA1 UPPER)
if(ARCH STREQUAL x64)
  set(win64 yes)
else()
  set(win64 no)
endif()
execute_process(
  COMMAND ${at_commit} ${WIXL} -a ${ARCH} -D Win64=${win64} -I . -D Facts=facts.wxi
          -D Exe=tarnwick.exe -D Help=help.chm -D Icon=tarnwick.ico
          -D Actions=package-actions.dll -D ProductCode=${product} -o ${OUTPUT} tarnwick.wxs
  WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${stage})

# wixl writes rollback actions as immediate ones. The undo actions are a DLL entry (1) whose
# result counts for nothing (64), run as the system (2048) in the installation's script (1024),
# on its rollback only (256).
set(undo_actions "`Action` = 'UndoRegister' OR `Action` = 'UndoUnregister'")
execute_process(
  COMMAND ${at_commit} ${MSIBUILD} ${OUTPUT} -q
          "UPDATE `CustomAction` SET `Type` = 3393 WHERE ${undo_actions}"
  COMMAND_ERROR_IS_FATAL ANY)
# The package code is set with the rest of the summary, which stays as wixl wrote it.
execute_process(COMMAND ${MSIINFO} suminfo ${OUTPUT} OUTPUT_VARIABLE summary
  COMMAND_ERROR_IS_FATAL ANY)
foreach(field Subject Author Template)
  string(REGEX MATCH "\n${field}: ([^\n]*)" _ "\n${summary}")
  set(${field} "${CMAKE_MATCH_1}")
endforeach()
execute_process(
  COMMAND ${at_commit} ${MSIBUILD} ${OUTPUT} -s "${Subject}" "${Author}" "${Template}" {${package}}
  COMMAND_ERROR_IS_FATAL ANY)
if(SIGN)
  execute_process(COMMAND ${SIGN} ${OUTPUT} "${Subject}" COMMAND_ERROR_IS_FATAL ANY)
endif()
