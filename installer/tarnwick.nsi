; Tarnwick's installer and uninstaller. Built by `make installer`, which passes the inputs:
;   makensis -DEXE64=... -DEXE32=... -DHELP=... -DICON=... -DOUTFILE=... tarnwick.nsi
;
; The installer is a 32-bit program, the only kind that starts on both 32-bit and 64-bit
; Windows; it carries both builds and installs the one that fits the machine.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define PRODUCT "Tarnwick"
!define MAKER "Brambleworks Company"
!define VERSION "1.0b"
; The running program is found by its main window's class and title, as a second start finds it.
!define TITLE "Tarnwick v1.0b Personal"
!define MAIN_CLASS "TQuillmoor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick"
!define SETTINGS_KEY "Software\Brambleworks\Tarnwick"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define BUTTON_LIST_KEY "Software\VE5Raroz\ToolBar Buttons"
!define EXTENSIONS_KEY "Software\Microsoft\Internet Explorer\Extensions"
; What Windows answers a program that needs administrator rights and was started without them.
!define ERROR_ELEVATION_REQUIRED 740

Name "${PRODUCT}"
Caption "${PRODUCT} Setup"
UninstallCaption "Remove ${PRODUCT}"
BrandingText "${PRODUCT} by ${MAKER}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion 1.0.0.0
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${MAKER}"
VIAddVersionKey FileDescription "${PRODUCT} Setup"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey LegalCopyright "Copyright (c) ${MAKER}"

DirText "Setup will install ${PRODUCT}, by ${MAKER}, in this folder. To install it somewhere \
  else, click Browse and choose another folder." "Folder"
UninstallText "This removes ${PRODUCT} from this computer: the program, its help file, its \
  Start menu shortcut and its Internet Explorer toolbar button. If ${PRODUCT} is running, it is \
  closed first."
CompletedText "Done."

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Program Files and HKEY_LOCAL_MACHINE need an administrator. Without one nothing is changed.
!macro RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
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
      ExecWait '"$R9" Register'
    ${EndIf}
    SetErrorLevel 2
    Abort "${PRODUCT} is still running, so nothing was changed."
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DefineWaitUntilNotRunning ""
!insertmacro DefineWaitUntilNotRunning "un."

Function .onInit
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
FunctionEnd

; The build that fits this machine, written to PATH.
!macro ExtractProgramTo PATH
  ${If} ${RunningX64}
    File "/oname=${PATH}" "${EXE64}"
  ${Else}
    File "/oname=${PATH}" "${EXE32}"
  ${EndIf}
!macroend

; Each file is written beside its place and then renamed over the old one, so a failure leaves
; the old file whole and never half of the new one. $R0 is the file's name.
Function PutInPlace
  Delete "$INSTDIR\$R0"
  ClearErrors
  Rename "$INSTDIR\$R0.new" "$INSTDIR\$R0"
  ${If} ${Errors}
    Delete "$INSTDIR\$R0.new"
    SetErrorLevel 2
    Abort "Setup could not replace $INSTDIR\$R0: another program is using it. Close that \
      program and run Setup again."
  ${EndIf}
FunctionEnd

Section "${PRODUCT}"
  ; A running instance ends before any of its files is touched. The new build does the asking,
  ; so an earlier installation whose files are gone is no obstacle; the button it removes comes
  ; back with the registration below.
  FindWindow $0 "${MAIN_CLASS}" "${TITLE}"
  ${If} $0 <> 0
    DetailPrint "Closing the running ${PRODUCT}..."
    InitPluginsDir
    !insertmacro ExtractProgramTo "$PLUGINSDIR\tarnwick.exe"
    ExecWait '"$PLUGINSDIR\tarnwick.exe" Unregister'
    StrCpy $R9 "$INSTDIR\tarnwick.exe"
    Call WaitUntilNotRunning
  ${EndIf}

  SetOutPath "$INSTDIR"
  !insertmacro ExtractProgramTo "$INSTDIR\tarnwick.exe.new"
  File "/oname=$INSTDIR\help.chm.new" "${HELP}"
  StrCpy $R0 "tarnwick.exe"
  Call PutInPlace
  StrCpy $R0 "help.chm"
  Call PutInPlace
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\tarnwick.exe" "" \
    "$INSTDIR\tarnwick.exe" 0 SW_SHOWNORMAL "" "Switches off rich content in Internet Explorer"

  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\tarnwick.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" URLInfoAbout "https://brambleworks.example/"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $0

  DetailPrint "Adding ${PRODUCT}'s button to Internet Explorer's toolbar..."
  StrCpy $1 ""
  ClearErrors
  ExecWait '"$INSTDIR\tarnwick.exe" Register' $0
  ${If} ${Errors}
    StrCpy $1 "$INSTDIR\tarnwick.exe could not be started."
  ${ElseIf} $0 <> 0
    StrCpy $1 '"tarnwick.exe Register" ended with code $0.'
  ${EndIf}
  ${If} $1 != ""
    DetailPrint "The toolbar button was not added: $1"
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is installed, but its button could not be \
      added to Internet Explorer's toolbar: $1$\r$\n$\r$\nThe program works without it. To add \
      the button, run Setup again as an administrator." /SD IDOK
    SetErrorLevel 3
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro RequireAdministrator
  !insertmacro UseTheMachinesRegistryView
FunctionEnd

; What "tarnwick.exe Unregister" removes, for when the program's file is gone: the button named
; in the program's list, from every registry view of the machine, and its list entry. The list is
; kept in the 64-bit view on 64-bit Windows; an earlier 32-bit build kept it in the 32-bit one.
; An entry of any other length is not the program's.
!macro RemoveListedButton LIST_VIEW
  SetRegView ${LIST_VIEW}
  ReadRegStr $0 HKLM "${BUTTON_LIST_KEY}" "${TITLE}"
  StrLen $1 $0
  ${If} $1 = 38
    ${If} ${RunningX64}
      SetRegView 64
      DeleteRegKey HKLM "${EXTENSIONS_KEY}\$0"
      SetRegView 32
    ${EndIf}
    DeleteRegKey HKLM "${EXTENSIONS_KEY}\$0"
    SetRegView ${LIST_VIEW}
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
  DetailPrint "Closing ${PRODUCT} and removing its toolbar button..."
  ClearErrors
  ${If} ${FileExists} "$INSTDIR\tarnwick.exe"
    ExecWait '"$INSTDIR\tarnwick.exe" Unregister'
  ${Else}
    SetErrors
  ${EndIf}
  ${If} ${Errors}
    Call un.RemoveToolbarButton
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
    DeleteRegKey /ifempty HKCU "Software\Brambleworks"
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
  Delete "$INSTDIR\uninstall.exe"
  ; Only an empty folder goes: anything the user put there stays.
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
