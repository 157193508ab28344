; Quellix's installer and uninstaller.
;
; Defines from the build (makensis /DNAME=VALUE):
;   OUTFILE           the installer to write
;   BITS              32 or 64: the bitness of the binaries, of the installer
;                     and of the registry view and program folder it uses
;   VERSION           the product version, e.g. 2.1
;   PROGRAM           Quellix.exe
;   CONTROL           the hook control (a self-registering in-process server)
;   CONTROL_NAME      its file name in the program folder
;   HOOKLIB           catchwire.dll
;   HELPER            QuellixHelper.dll, the browser helper
;   RULESTOOL         quellix-rules.exe, the rules tool for deployment
;   HELP              quellix.chm
;   SOUND             cork.wav
;   INSTANCE_MUTEX    the mutex a running Quellix holds
;   MAIN_WINDOW_CLASS the window class of its hidden main form
;   HELPER_CLSID      the browser helper's class identifier, in braces
;
; Switches: /S silent; /D=FOLDER (last) the program folder. The uninstaller
; keeps the user's rules, logs and settings unless its component "Your
; rules, logs and settings" is chosen, or /REMOVEALL is given.

Unicode true
!if ${BITS} == 64
  Target amd64-unicode
!endif
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Quellix"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quellix"
!define MENUEXT_KEY "Software\Microsoft\Internet Explorer\MenuExt"
!define ALLOW_ENTRY "Allow/Disallow Site's Pop-ups"
!define KILL_ENTRY "Always Kill This Pop-up"
; Pages and links (the browser's context flags 0x1 and 0x20).
!define MENUEXT_CONTEXTS 0x21

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
!if ${BITS} == 64
  InstallDir "$PROGRAMFILES64\Quellix"
!else
  InstallDir "$PROGRAMFILES\Quellix"
!endif
ShowInstDetails show
ShowUninstDetails show

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quellix.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Quellix now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\quellix.chm"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the help"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Quellix"

; Asks a running Quellix to end the way logging off does (its hidden main
; form hears WM_CLOSE and writes its rules and log), waits up to ten seconds
; for its process to end, then up to ten more for its instance mutex to go
; (a Quellix without its main form), and only then ends it by force.
!macro EndQuellix un
Function ${un}EndQuellix
  FindWindow $0 "${MAIN_WINDOW_CLASS}" ""
  ${If} $0 = 0
    ; The form may be a message-only window (parent HWND_MESSAGE).
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "" -3
  ${EndIf}
  ${If} $0 <> 0
    ; Its process too: the mutex goes while the program is still tidying up,
    ; and its file stays in use until the process has ended.
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r4)'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r4) p .r5'
    DetailPrint "Closing Quellix"
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${If} $5 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r5, i 10000)'
      System::Call 'kernel32::CloseHandle(p r5)'
    ${EndIf}
  ${EndIf}
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r2'
    ${If} $2 P= 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r2)'
    ${If} $1 >= 20
      DetailPrint "Quellix does not end by itself: ending it"
      nsExec::Exec 'taskkill /F /IM Quellix.exe'
      Pop $3
      Sleep 1000
      ${Break}
    ${EndIf}
    Sleep 500
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro EndQuellix ""
!insertmacro EndQuellix "un."

Function .onInit
!if ${BITS} == 64
  SetRegView 64
!endif
  SetShellVarContext all
FunctionEnd

Section "Quellix" SecProgram
  SectionIn RO
  Call EndQuellix
  SetOutPath "$INSTDIR"
  File "/oname=Quellix.exe" "${PROGRAM}"
  File "/oname=${CONTROL_NAME}" "${CONTROL}"
  File "/oname=catchwire.dll" "${HOOKLIB}"
  File "/oname=QuellixHelper.dll" "${HELPER}"
  File "/oname=quellix-rules.exe" "${RULESTOOL}"
  File "/oname=quellix.chm" "${HELP}"
  SetOutPath "$INSTDIR\sounds"
  File "/oname=cork.wav" "${SOUND}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The hook control and the browser helper register their COM classes
  ; themselves. The browser's list of helpers is left to the program, which
  ; writes it at exit when its start mode asks for it.
  ClearErrors
  RegDLL "$INSTDIR\${CONTROL_NAME}"
  ${If} ${Errors}
    DetailPrint "Could not register ${CONTROL_NAME}"
  ${EndIf}
  ClearErrors
  RegDLL "$INSTDIR\QuellixHelper.dll"
  ${If} ${Errors}
    DetailPrint "Could not register QuellixHelper.dll"
  ${EndIf}

  ; The browser's right-click entries run the script files the program
  ; writes into its folder (and renames away while it is not running).
  WriteRegStr HKCU "${MENUEXT_KEY}\${ALLOW_ENTRY}" "" "$INSTDIR\trustsite.script"
  WriteRegDWORD HKCU "${MENUEXT_KEY}\${ALLOW_ENTRY}" "Contexts" ${MENUEXT_CONTEXTS}
  WriteRegStr HKCU "${MENUEXT_KEY}\${KILL_ENTRY}" "" "$INSTDIR\blocksite.script"
  WriteRegDWORD HKCU "${MENUEXT_KEY}\${KILL_ENTRY}" "Contexts" ${MENUEXT_CONTEXTS}

  CreateDirectory "$SMPROGRAMS\Quellix"
  CreateShortCut "$SMPROGRAMS\Quellix\Quellix.lnk" "$INSTDIR\Quellix.exe"
  CreateShortCut "$SMPROGRAMS\Quellix\Quellix Help.lnk" "$INSTDIR\quellix.chm"
  CreateShortCut "$SMPROGRAMS\Quellix\Uninstall Quellix.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quellix"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quellix.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Deletes a file that something may still hold for a moment (a program
; that is ending, a library other programs have yet to let go): tries for
; three seconds, then leaves it to the next restart.
!macro DeleteWhenFree file
  StrCpy $1 0
  ${Do}
    ClearErrors
    Delete "${file}"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    ${If} $1 >= 10
      Delete /REBOOTOK "${file}"
      ${Break}
    ${EndIf}
    Sleep 300
    IntOp $1 $1 + 1
  ${Loop}
!macroend

Section "un.Quellix" SecUnProgram
  SectionIn RO
  Call un.EndQuellix
  UnRegDLL "$INSTDIR\QuellixHelper.dll"
  UnRegDLL "$INSTDIR\${CONTROL_NAME}"
  !insertmacro DeleteWhenFree "$INSTDIR\Quellix.exe"
  Delete "$INSTDIR\${CONTROL_NAME}"
  ; The hook library stays mapped in other programs until each of them next
  ; handles a message after the hooks went, and the browser helper lives in
  ; running browsers: leave them to the next restart.
  !insertmacro DeleteWhenFree "$INSTDIR\catchwire.dll"
  Delete /REBOOTOK "$INSTDIR\QuellixHelper.dll"
  Delete "$INSTDIR\quellix-rules.exe"
  Delete "$INSTDIR\quellix.chm"
  Delete "$INSTDIR\sounds\cork.wav"
  RMDir "$INSTDIR\sounds"
  ; What the program wrote for the right-click entries, which go too.
  Delete "$INSTDIR\blocksite.script"
  Delete "$INSTDIR\blocksite.script2"
  Delete "$INSTDIR\trustsite.script"
  Delete "$INSTDIR\trustsite.script2"
  Delete "$INSTDIR\b??????????.html"
  Delete "$INSTDIR\t??????????.html"
  DeleteRegKey HKCU "${MENUEXT_KEY}\${ALLOW_ENTRY}"
  DeleteRegKey HKCU "${MENUEXT_KEY}\${KILL_ENTRY}"
  ; The start-up entries the program writes at exit would point at nothing.
  DeleteRegValue HKLM "Software\Microsoft\Windows\CurrentVersion\Run" "Quellix"
  DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\explorer\Browser Helper Objects\${HELPER_CLSID}"
  Delete "$SMPROGRAMS\Quellix\Quellix.lnk"
  Delete "$SMPROGRAMS\Quellix\Quellix Help.lnk"
  Delete "$SMPROGRAMS\Quellix\Uninstall Quellix.lnk"
  RMDir "$SMPROGRAMS\Quellix"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
SectionEnd

Section /o "un.Your rules, logs and settings" SecUserData
  Delete "$INSTDIR\websites.dat"
  Delete "$INSTDIR\servers.lst"
  Delete "$INSTDIR\windows.dat"
  Delete "$INSTDIR\log.dat"
  Delete "$INSTDIR\log.htm"
  Delete "$INSTDIR\ErrorLog.txt"
  DeleteRegKey HKCU "Software\Quellix"
SectionEnd

Section "-un.Folder"
  ; Empty only when nothing of the user's is left in it. When a library
  ; still in use waits for the restart, the folder is put down for then too:
  ; the system removes it only if it is empty by that time.
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR", p 0, i 4) i .r0'
  ${EndIf}
SectionEnd

; After the sections, whose indices it needs.
Function un.onInit
!if ${BITS} == 64
  SetRegView 64
!endif
  SetShellVarContext all
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEALL" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecUserData} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUnProgram} "Quellix itself, its help, its sound and its entries in the browser and the Start menu."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUserData} "Your website and window rules, the logs of blocked pop-ups and your settings. Leave this unchecked to keep them for a later installation."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
