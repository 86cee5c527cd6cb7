; Tarnwick's installer and uninstaller. Built by `make installer` (installer/pack-setup.cmake),
; which passes the inputs:
;   makensis -DFACTS=... -DEXE64=... -DEXE32=... -DHELP=... -DICON=... -DOUTFILE=... \
;     -DEXE64_KB=... -DEXE32_KB=... -DHELP_KB=... [-DSIGN=...] tarnwick.nsi
; The _KB values are the files' sizes, which Setup announces. SIGN is a command that signs the
; file it is given (scripts/sign-file.sh).
; FACTS is the build's include of what the installer knows of the program: its name, maker,
; version and description, title, main window class and registry keys (installer/CMakeLists.txt).
;
; The installer is a 32-bit program, the only kind that starts on both 32-bit and 64-bit
; Windows; it carries both builds and installs the one that fits the machine.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include LogicLib.nsh
!include FileFunc.nsh
!include TextFunc.nsh
!include x64.nsh
!include MUI2.nsh
!include "${FACTS}"
!ifdef SIGN
  ; The uninstaller is signed before Setup packs it.
  !uninstfinalize '"${SIGN}" "%1" "Remove ${PRODUCT}"' = 0
  !finalize '"${SIGN}" "%1" "${PRODUCT} Setup"' = 0
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; What Windows answers a program that needs administrator rights and was started without them.
!define ERROR_ELEVATION_REQUIRED 740

Name "${PRODUCT}"
Caption "${PRODUCT} Setup"
UninstallCaption "Remove ${PRODUCT}"
BrandingText "${PRODUCT} by ${MAKER}"
OutFile "${OUTFILE}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion ${FILE_VERSION}
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${MAKER}"
VIAddVersionKey FileDescription "${PRODUCT} Setup"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey LegalCopyright "Copyright (c) ${MAKER}"

CompletedText "Done."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will install ${PRODUCT}, by ${MAKER}, in this folder. \
  To install it somewhere else, click Browse and choose another folder."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The last page offers to start the program, unticked; a silent install shows no page and
; starts nothing.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "This removes ${PRODUCT} from this computer: the program, its \
  help file, its Start menu shortcut and its Internet Explorer toolbar button. If ${PRODUCT} is \
  running, it is closed first."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Each run writes what it did, and why it failed, to a log that an administrator finds in one
; place whoever ran it: setup.log, or uninstall.log for the uninstaller, in ProgramData's folder
; of the product, written anew at every run. It stays there after an uninstall.
Var Log

!macro OpenLog NAME WHAT
  SetShellVarContext all
  CreateDirectory "$APPDATA\${PRODUCT}"
  FileOpen $Log "$APPDATA\${PRODUCT}\${NAME}" w
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  StrCpy $7 "with its windows"
  ${If} ${Silent}
    StrCpy $7 "silent"
  ${EndIf}
  FileWrite $Log "${WHAT} ${VERSION}, $2-$1-$0 $4:$5:$6, $7: $CMDLINE$\r$\n"
!macroend

; A line in the window's details and in the log.
!macro Log TEXT
  DetailPrint `${TEXT}`
  FileWrite $Log `${TEXT}$\r$\n`
!macroend

; The code the run ends with: the one it set, or DEFAULT (0 on success, 2 after an abort).
!macro CloseLog DEFAULT
  GetErrorLevel $0
  ${If} $0 = -1
    StrCpy $0 ${DEFAULT}
  ${EndIf}
  FileWrite $Log "Ended with code $0.$\r$\n"
  FileClose $Log
!macroend

; Program Files and HKEY_LOCAL_MACHINE need an administrator. Without one nothing is changed.
!macro RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    !insertmacro Log "Not run as an administrator: nothing was changed."
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is installed for everyone on this computer, and \
      that needs administrator rights, which Setup was not given.$\r$\n$\r$\nNothing was \
      changed. Start Setup again and allow it to make changes, or ask an administrator." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
!macroend

; 64-bit Windows keeps a 64-bit program's entries in the 64-bit registry view.
!macro UseTheMachinesRegistryView
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

; Runs "tarnwick.exe $R7" from the file $R8 to its end: $0 gets its exit code, or "error" when
; it could not be started, and $1 why it failed ("" when it did not), which is also logged.
; Watched, it runs as any program does and shows its own error box. A silent run starts it
; hidden and reads its output (on 32-bit Windows through a helper that drops the hidden start;
; the output read is sign enough): then it writes its reason there instead of showing a box
; that nobody could close.
!macro DefineRunProgram UN
Function ${UN}RunProgram
  StrCpy $1 ""
  ${If} ${Silent}
    nsExec::ExecToStack '"$R8" $R7'
    Pop $0
    Pop $1
    ${TrimNewLines} $1 $1
  ${Else}
    ClearErrors
    ExecWait '"$R8" $R7' $0
    ${If} ${Errors}
      StrCpy $0 "error"
    ${EndIf}
  ${EndIf}
  ${If} $0 == "error"
    StrCpy $1 "$R8 could not be started."
  ${ElseIf} $0 = 0
    StrCpy $1 ""
  ${ElseIf} $1 == ""
    StrCpy $1 '"tarnwick.exe $R7" ended with code $0.'
  ${Else}
    StrCpy $1 '"tarnwick.exe $R7" ended with code $0: $1'
  ${EndIf}
  ${If} $1 != ""
    !insertmacro Log "$1"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DefineRunProgram ""
!insertmacro DefineRunProgram "un."

!macro RunProgram UN EXE VERB
  StrCpy $R8 "${EXE}"
  StrCpy $R7 "${VERB}"
  Call ${UN}RunProgram
!macroend

; "tarnwick.exe Unregister" tells a running instance to quit and waits until it has ended. One
; that does not end (it hangs, or shows a box) is left to the user to close, or the whole run is
; given up. $R9 names the exe to put the toolbar button back with when it is given up.
!macro DefineWaitUntilNotRunning UN
Function ${UN}WaitUntilNotRunning
  retry:
  FindWindow $0 "${MAIN_CLASS}" "${TITLE}"
  ${If} $0 <> 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is still running: it did not close \
      when asked. Close it yourself (right-click its icon in the notification area and choose \
      Exit), then click Retry." /SD IDCANCEL IDRETRY retry
    ${If} ${FileExists} $R9
      !insertmacro RunProgram "${UN}" $R9 Register
    ${EndIf}
    !insertmacro Log "${PRODUCT} is still running, so nothing was changed."
    SetErrorLevel 2
    Abort "${PRODUCT} is still running, so nothing was changed."
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DefineWaitUntilNotRunning ""
!insertmacro DefineWaitUntilNotRunning "un."

Function .onInit
  !insertmacro OpenLog setup.log "${PRODUCT} Setup"
  !insertmacro RequireAdministrator
  !insertmacro UseTheMachinesRegistryView
  ; /D= on the command line wins; then the folder of an earlier installation.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" InstallLocation
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
    ${EndIf}
  ${EndIf}
  Call AnnounceSize
FunctionEnd

; Started through the shell, as the user: Setup itself runs as an administrator, and the program
; it started would too.
Function StartProgram
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\tarnwick.exe"'
FunctionEnd

Function .onInstSuccess
  !insertmacro CloseLog 0
FunctionEnd

Function .onInstFailed
  !insertmacro CloseLog 2
FunctionEnd

; The build that fits this machine, written to PATH; the error flag when it could not be.
!macro ExtractProgramTo PATH
  ${If} ${RunningX64}
    File /nonfatal "/oname=${PATH}" "${EXE64}"
  ${Else}
    File /nonfatal "/oname=${PATH}" "${EXE32}"
  ${EndIf}
!macroend

; Set when closing the running program took its toolbar button away.
Var ButtonTaken

; Ends a Setup that stopped, with 2 and the reason $R1, once what it changed is back: the
; installed program, whole again, registers the button that closing it took away.
Function StopSetup
  ${If} $ButtonTaken = 1
  ${AndIf} ${FileExists} "$INSTDIR\tarnwick.exe"
    !insertmacro RunProgram "" "$INSTDIR\tarnwick.exe" Register
  ${EndIf}
  !insertmacro Log "$R1"
  SetErrorLevel 2
  Abort "$R1"
FunctionEnd

; Puts back the file $R0 that was moved aside as $R0.old; one that was not there goes.
Function MoveOldBack
  Delete "$INSTDIR\$R0"
  ${If} ${FileExists} "$INSTDIR\$R0.old"
    Rename "$INSTDIR\$R0.old" "$INSTDIR\$R0"
  ${EndIf}
FunctionEnd

; Moves the old file $R0 aside as $R0.old and $R0.new into its place. $R1 is "" when done, and
; otherwise says why not, with the old file in its place. (The error flag would not do: testing
; it clears it.)
Function MoveNewInPlace
  StrCpy $R1 ""
  Delete "$INSTDIR\$R0.old"
  ${If} ${FileExists} "$INSTDIR\$R0.old"
    StrCpy $R1 "Setup could not delete $INSTDIR\$R0.old, which an earlier Setup left behind: it \
      is still in use, perhaps by a copy of ${PRODUCT} that still runs in another user's session. \
      Close that copy, or restart Windows, and run Setup again."
    Return
  ${EndIf}
  ClearErrors
  ${If} ${FileExists} "$INSTDIR\$R0"
    Rename "$INSTDIR\$R0" "$INSTDIR\$R0.old"
  ${EndIf}
  ${IfNot} ${Errors}
    Rename "$INSTDIR\$R0.new" "$INSTDIR\$R0"
    ${IfNot} ${Errors}
      Return
    ${EndIf}
    Call MoveOldBack
  ${EndIf}
  StrCpy $R1 "Setup could not replace $INSTDIR\$R0: another program is using it. Close that \
    program and run Setup again."
FunctionEnd

; The files Setup installs, each written beside its place first, so that a failure never leaves
; half of a new one. The old ones stay beside them until everything else is written too, so that
; a stop leaves the installed version whole: its program, its help and its uninstaller together.
Function ReplaceFiles
  StrCpy $R0 "tarnwick.exe"
  Call MoveNewInPlace
  ${If} $R1 == ""
    StrCpy $R0 "help.chm"
    Call MoveNewInPlace
    ${If} $R1 == ""
      StrCpy $R0 "uninstall.exe"
      Call MoveNewInPlace
      ${If} $R1 != ""
        StrCpy $R0 "help.chm"
        Call MoveOldBack
      ${EndIf}
    ${EndIf}
    ${If} $R1 != ""
      StrCpy $R0 "tarnwick.exe"
      Call MoveOldBack
    ${EndIf}
  ${EndIf}
  ${If} $R1 != ""
    Call DeleteNewFiles
    Call StopSetup
  ${EndIf}
FunctionEnd

Function DeleteNewFiles
  Delete "$INSTDIR\tarnwick.exe.new"
  Delete "$INSTDIR\help.chm.new"
  Delete "$INSTDIR\uninstall.exe.new"
FunctionEnd

Function PutBackOldFiles
  StrCpy $R0 "tarnwick.exe"
  Call MoveOldBack
  StrCpy $R0 "help.chm"
  Call MoveOldBack
  StrCpy $R0 "uninstall.exe"
  Call MoveOldBack
FunctionEnd

; The point of no return. One still in use (by a copy running in another session) goes with the
; next run, or says so.
Function DeleteOldFiles
  Delete "$INSTDIR\tarnwick.exe.old"
  Delete "$INSTDIR\help.chm.old"
  Delete "$INSTDIR\uninstall.exe.old"
FunctionEnd

; The entry in Apps and features as it was before this run, kept in a file of the run's own, so
; that a stop puts it back: a value that was not there goes again.
!define OLD_ENTRY "$PLUGINSDIR\entry.ini"
!macro KeepEntryValue TYPE NAME
  ClearErrors
  ReadReg${TYPE} $0 HKLM "${UNINSTALL_KEY}" ${NAME}
  ${IfNot} ${Errors}
    WriteINIStr "${OLD_ENTRY}" ${NAME} data $0
  ${EndIf}
!macroend
!macro PutBackEntryValue TYPE NAME
  ClearErrors
  ReadINIStr $0 "${OLD_ENTRY}" ${NAME} data
  ${If} ${Errors}
    DeleteRegValue HKLM "${UNINSTALL_KEY}" ${NAME}
  ${Else}
    WriteReg${TYPE} HKLM "${UNINSTALL_KEY}" ${NAME} $0
  ${EndIf}
!macroend
!macro EachEntryValue DO
  !insertmacro ${DO} Str DisplayName
  !insertmacro ${DO} Str DisplayVersion
  !insertmacro ${DO} Str Publisher
  !insertmacro ${DO} Str DisplayIcon
  !insertmacro ${DO} Str InstallLocation
  !insertmacro ${DO} Str URLInfoAbout
  !insertmacro ${DO} Str UninstallString
  !insertmacro ${DO} Str QuietUninstallString
  !insertmacro ${DO} DWORD NoModify
  !insertmacro ${DO} DWORD NoRepair
  !insertmacro ${DO} DWORD EstimatedSize
!macroend

; Adds the size of the installed file NAME, in KB, to $R2.
!macro AddSizeOf NAME
  ${GetSize} "$INSTDIR" "/M=${NAME} /S=0K /G=0" $0 $1 $2
  IntOp $R2 $R2 + $0
!macroend

!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define OLD_SHORTCUT "$PLUGINSDIR\shortcut.lnk"

; Puts back what the run changed after its files were in place, then the files, and stops with
; the reason $R1.
Function StopAfterFiles
  !insertmacro EachEntryValue PutBackEntryValue
  DeleteRegKey /ifempty HKLM "${UNINSTALL_KEY}"
  Delete "${SHORTCUT}"
  ${If} ${FileExists} "${OLD_SHORTCUT}"
    CopyFiles /SILENT "${OLD_SHORTCUT}" "${SHORTCUT}"
  ${EndIf}
  Call PutBackOldFiles
  Call StopSetup
FunctionEnd

Section "${PRODUCT}" SecProgram
  !insertmacro Log "Installing in $INSTDIR"
  InitPluginsDir
  ; A running instance ends before any of its files is touched. The new build does the asking,
  ; so an earlier installation whose files are gone is no obstacle; the button it removes comes
  ; back with the registration below, or, when Setup stops, with the installed program.
  StrCpy $ButtonTaken 0
  FindWindow $0 "${MAIN_CLASS}" "${TITLE}"
  ${If} $0 <> 0
    !insertmacro Log "Closing the running ${PRODUCT}..."
    !insertmacro ExtractProgramTo "$PLUGINSDIR\tarnwick.exe"
    !insertmacro RunProgram "" "$PLUGINSDIR\tarnwick.exe" Unregister
    StrCpy $ButtonTaken 1
    StrCpy $R9 "$INSTDIR\tarnwick.exe"
    Call WaitUntilNotRunning
  ${EndIf}

  SetOutPath "$INSTDIR"
  ClearErrors
  !insertmacro ExtractProgramTo "$INSTDIR\tarnwick.exe.new"
  File /nonfatal "/oname=$INSTDIR\help.chm.new" "${HELP}"
  WriteUninstaller "$INSTDIR\uninstall.exe.new"
  ${If} ${Errors}
    Call DeleteNewFiles
    StrCpy $R1 "Setup could not write its files into $INSTDIR."
    Call StopSetup
  ${EndIf}
  Call ReplaceFiles

  SetShellVarContext all
  ${If} ${FileExists} "${SHORTCUT}"
    CopyFiles /SILENT "${SHORTCUT}" "${OLD_SHORTCUT}"
  ${EndIf}
  ClearErrors
  CreateShortCut "${SHORTCUT}" "$INSTDIR\tarnwick.exe" "" "$INSTDIR\tarnwick.exe" 0 \
    SW_SHOWNORMAL "" "${DESCRIPTION}"
  ${If} ${Errors}
    StrCpy $R1 "Setup could not write the Start menu shortcut ${SHORTCUT}."
    Call StopAfterFiles
  ${EndIf}

  !insertmacro EachEntryValue KeepEntryValue
  ; What the installation takes: its files, not the old ones that still lie beside them.
  StrCpy $R2 0
  !insertmacro AddSizeOf tarnwick.exe
  !insertmacro AddSizeOf help.chm
  !insertmacro AddSizeOf uninstall.exe
  ClearErrors
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\tarnwick.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" URLInfoAbout "${WEB_SITE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  ; Run in place ("_?=", last and unquoted) the uninstaller waits for its own end, so that its
  ; caller gets its exit code; otherwise it hands over to a copy of itself and ends at once.
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString \
    '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $R2
  ${If} ${Errors}
    StrCpy $R1 "Setup could not write ${PRODUCT}'s entry in Apps and features \
      (HKEY_LOCAL_MACHINE\${UNINSTALL_KEY})."
    Call StopAfterFiles
  ${EndIf}
  Call DeleteOldFiles

  !insertmacro Log "Adding ${PRODUCT}'s button to Internet Explorer's toolbar..."
  !insertmacro RunProgram "" "$INSTDIR\tarnwick.exe" Register
  ${If} $1 != ""
    !insertmacro Log "The toolbar button was not added."
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is installed, but its button could not be \
      added to Internet Explorer's toolbar: $1$\r$\n$\r$\nThe program works without it. To add \
      the button, run Setup again as an administrator." /SD IDOK
    SetErrorLevel 3
  ${EndIf}
SectionEnd

; The section carries both builds, and a copy it may run to close a running program; what it
; leaves on the disk is one build and the help file, and that is the space Setup announces.
Function AnnounceSize
  ${If} ${RunningX64}
    StrCpy $0 ${EXE64_KB}
  ${Else}
    StrCpy $0 ${EXE32_KB}
  ${EndIf}
  IntOp $0 $0 + ${HELP_KB}
  SectionSetSize ${SecProgram} $0
FunctionEnd

; The removal of an uninstaller that ran in place, by a copy of it, once that run has ended. Only
; after an uninstall: while the program's file is there, the uninstaller stays.
!macro CleanUpAfterRunInPlace
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CLEANUP" $1
  ${IfNot} ${Errors}
    ${IfNot} ${FileExists} "$INSTDIR\tarnwick.exe"
      ${For} $1 1 300
        Delete "$INSTDIR\uninstall.exe"
        ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
          ${Break}
        ${EndIf}
        Sleep 100
      ${Next}
      SetOutPath "$TEMP"
      RMDir "$INSTDIR"
    ${EndIf}
    Delete /REBOOTOK "$EXEPATH"
    RMDir /REBOOTOK "$EXEDIR"
    Quit
  ${EndIf}
!macroend

Function un.onInit
  !insertmacro CleanUpAfterRunInPlace
  !insertmacro OpenLog uninstall.log "${PRODUCT} Uninstall"
  !insertmacro RequireAdministrator
  !insertmacro UseTheMachinesRegistryView
FunctionEnd

Function un.onUninstSuccess
  !insertmacro CloseLog 0
FunctionEnd

Function un.onUninstFailed
  !insertmacro CloseLog 2
FunctionEnd

; Whether $0 is an identifier of the form the program writes, "{8-4-4-4-12}" in hexadecimal
; digits of either case: $2 is 1 or 0. A list entry edited by hand to anything else could name
; a key above the button's own, such as the whole Extensions key.
Function un.IsGuidText
  StrCpy $2 0
  StrLen $3 $0
  StrCpy $4 $0 1
  StrCpy $5 $0 1 37
  ${If} $3 <> 38
  ${OrIf} $4 != "{"
  ${OrIf} $5 != "}"
    Return
  ${EndIf}
  ${For} $3 1 36
    StrCpy $4 $0 1 $3
    ${If} $3 = 9
    ${OrIf} $3 = 14
    ${OrIf} $3 = 19
    ${OrIf} $3 = 24
      ${If} $4 != "-"
        Return
      ${EndIf}
    ${Else}
      ; The comparison ignores case.
      StrCpy $5 0
      ${For} $6 0 15
        StrCpy $7 "0123456789ABCDEF" 1 $6
        ${If} $4 == $7
          StrCpy $5 1
        ${EndIf}
      ${Next}
      ${If} $5 = 0
        Return
      ${EndIf}
    ${EndIf}
  ${Next}
  StrCpy $2 1
FunctionEnd

; What "tarnwick.exe Unregister" removes, for when the program's file is gone: the button named
; in the program's list, from every registry view of the machine, and its list entry. The list is
; kept in the 64-bit view on 64-bit Windows; an earlier 32-bit build kept it in the 32-bit one.
; An entry of any other length is not the program's; one of 38 characters that is no identifier
; goes, and names no key.
!macro RemoveListedButton LIST_VIEW
  SetRegView ${LIST_VIEW}
  ReadRegStr $0 HKLM "${BUTTON_LIST_KEY}" "${TITLE}"
  Call un.IsGuidText
  ${If} $2 = 1
    ${If} ${RunningX64}
      SetRegView 64
      DeleteRegKey HKLM "${EXTENSIONS_KEY}\$0"
      SetRegView 32
    ${EndIf}
    DeleteRegKey HKLM "${EXTENSIONS_KEY}\$0"
    SetRegView ${LIST_VIEW}
  ${EndIf}
  StrLen $1 $0
  ${If} $1 = 38
    DeleteRegValue HKLM "${BUTTON_LIST_KEY}" "${TITLE}"
  ${EndIf}
!macroend

Function un.RemoveToolbarButton
  ${If} ${RunningX64}
    !insertmacro RemoveListedButton 64
    !insertmacro RemoveListedButton 32
    SetRegView 64
  ${Else}
    !insertmacro RemoveListedButton 32
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro Log "Removing ${PRODUCT} from $INSTDIR"
  !insertmacro Log "Closing ${PRODUCT} and removing its toolbar button..."
  StrCpy $0 "error"
  ${If} ${FileExists} "$INSTDIR\tarnwick.exe"
    !insertmacro RunProgram "un." "$INSTDIR\tarnwick.exe" Unregister
  ${EndIf}
  ${If} $0 == "error"
    Call un.RemoveToolbarButton
  ${ElseIf} $0 <> 0
    ; The button stays, so the program that it starts stays too, and the uninstall can be run
    ; again once the reason is dealt with.
    !insertmacro Log "Nothing was removed."
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} was not removed: its button could not be removed \
      from Internet Explorer's toolbar.$\r$\n$\r$\n$1$\r$\n$\r$\nRun the uninstall again as an \
      administrator." /SD IDOK
    SetErrorLevel 2
    Abort "${PRODUCT} was not removed."
  ${EndIf}
  StrCpy $R9 "$INSTDIR\tarnwick.exe"
  Call un.WaitUntilNotRunning

  ; The program's "Start with Windows" entry.
  DeleteRegValue HKCU "${RUN_KEY}" "${TITLE}"

  ; Settings are the user's: asked about, and kept when nobody can be asked.
  ClearErrors
  EnumRegValue $0 HKCU "${SETTINGS_KEY}" 0
  ${IfNot} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION "Keep your ${PRODUCT} settings?$\r$\n$\r$\nYes keeps \
      them for when you install ${PRODUCT} again. No deletes them." /SD IDYES IDYES keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    ${GetParent} "${SETTINGS_KEY}" $1
    DeleteRegKey /ifempty HKCU $1
    Goto settingsDone
    keep:
    ; The Run entry is gone, so the kept box must not say it is there.
    ClearErrors
    ReadRegDWORD $1 HKCU "${SETTINGS_KEY}" "104"
    ${IfNot} ${Errors}
      WriteRegDWORD HKCU "${SETTINGS_KEY}" "104" 0
    ${EndIf}
    settingsDone:
  ${EndIf}

  Delete "$INSTDIR\tarnwick.exe"
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\tarnwick.exe.new"
  Delete "$INSTDIR\help.chm.new"
  Delete "$INSTDIR\tarnwick.exe.old"
  Delete "$INSTDIR\help.chm.old"
  Delete "$INSTDIR\uninstall.exe.new"
  Delete "$INSTDIR\uninstall.exe.old"
  ; Not the current folder of this run or of the one it starts, so that it can go.
  SetOutPath "$TEMP"
  Delete "$INSTDIR\uninstall.exe"
  ; Run in place, as the quiet uninstall is, this file is in use until the run ends. A copy in
  ; the temporary folder removes it, and the folder, once it is free.
  ${If} ${FileExists} "$INSTDIR\uninstall.exe"
    GetTempFileName $0
    Delete $0
    CreateDirectory $0
    CopyFiles /SILENT "$EXEPATH" "$0\uninstall.exe"
    Exec '"$0\uninstall.exe" /CLEANUP _?=$INSTDIR'
  ${EndIf}
  ; Only an empty folder goes: anything the user put there stays.
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
