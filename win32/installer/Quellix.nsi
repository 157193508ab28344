; Quellix's installer and uninstaller.
;
; Defines from the build (makensis /DNAME=VALUE):
;   OUTFILE           the installer to write
;   BITS              32 or 64: the bitness of the installer itself (32 for
;                     the one users get, which runs on every Windows)
;   VERSION           the product version, e.g. 2.1
;   X64_PROGRAM, X64_CONTROL, X64_HOOKLIB, X64_HELPER, X64_RULESTOOL
;                     the 64-bit set: Quellix.exe, the hook control (a
;                     self-registering in-process server), catchwire.dll,
;                     QuellixHelper.dll (the browser helper), quellix-rules.exe
;   X86_PROGRAM, X86_CONTROL, X86_HOOKLIB, X86_HELPER, X86_RULESTOOL
;                     the 32-bit set, the same files
;   X86_HOOKHOST      QuellixHook32.exe, the 32-bit hook host
;   CONTROL_NAME      the hook control's file name in the program folder
;   HELP              quellix.chm
;   SOUND             cork.wav
;   SETUP_HELPER      QuellixSetup.dll of the installer's bitness, which starts
;                     the program as the desktop's user and closes every
;                     session's copy
;   MAIN_WINDOW_CLASS the window class of its hidden main form
;   HELPER_CLSID      the browser helper's class identifier, in braces
;
; Either set may be missing (the build's own test installers). 64-bit
; Windows gets the 64-bit set and, with it, the 32-bit hook library
; (catchwire32.dll), the 32-bit hook host and the 32-bit browser helper
; (QuellixHelper32.dll, registered in the 32-bit registry view, where 32-bit
; Internet Explorer looks); 32-bit Windows gets the 32-bit set.
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
!include "x64.nsh"

!define PRODUCT "Quellix"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quellix"
!define MENUEXT_KEY "Software\Microsoft\Internet Explorer\MenuExt"
!define ALLOW_ENTRY "Allow/Disallow Site's Pop-ups"
!define KILL_ENTRY "Always Kill This Pop-up"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define HELPER_KEY "Software\Microsoft\Windows\CurrentVersion\explorer\Browser Helper Objects\${HELPER_CLSID}"
; Internet Explorer's elevation policy for Quellix.exe, one key per set
; (the keys of the older installers, one per bitness, which could be
; installed side by side).
!define ELEVATION_POLICIES "Software\Microsoft\Internet Explorer\Low Rights\ElevationPolicy"
!define ELEVATION_GUID_X64 "{96AF828D-8FB8-4719-8EA0-CD6B4F74EAE5}"
!define ELEVATION_GUID_X86 "{4783E8BE-1D27-4977-ACE9-E9EDE13A5682}"
!define HELPER32_CLASS_KEY "Software\Classes\CLSID\${HELPER_CLSID}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; .onInit moves it to the 64-bit folder where the 64-bit set goes (unless
; /D named one).
InstallDir "$PROGRAMFILES\Quellix"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Quellix now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartQuellix
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

; Asks every running Quellix to end the way logging off does (its hidden
; main form hears WM_CLOSE and writes its rules and log). This session's copy
; is found by its window, as copies too old for anything else are; every
; session's copy is asked through its close event by QuellixSetup.dll,
; which waits up to ten seconds for all of them and ends by force only the
; ones still running then.
!macro EndQuellix un
Function ${un}EndQuellix
  FindWindow $0 "${MAIN_WINDOW_CLASS}" ""
  ${If} $0 = 0
    ; The form may be a message-only window (parent HWND_MESSAGE).
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "" -3
  ${EndIf}
  ${If} $0 <> 0
    DetailPrint "Closing Quellix"
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ${EndIf}
  System::Call '$PLUGINSDIR\QuellixSetup.dll::CloseRunning(i 10000, *i .r1) i .r2 ?u'
  ${If} $1 > 0
    DetailPrint "Quellix was running $1 time(s): asked to close"
  ${EndIf}
  ${If} $2 > 0
    DetailPrint "Quellix did not close when asked: ended $2 by force"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro EndQuellix ""
!insertmacro EndQuellix "un."

!macro UnpackSetupHelper
  InitPluginsDir
  File "/oname=$PLUGINSDIR\QuellixSetup.dll" "${SETUP_HELPER}"
!macroend

; Which set this computer gets, 64 or 32, and its elevation policy's key;
; the uninstaller works it out the same way.
Var SetBits
Var ElevationKey

!macro ChooseSet un
Function ${un}ChooseSet
  StrCpy $SetBits 32
!if ${BITS} == 64
  StrCpy $SetBits 64
!else ifdef X64_PROGRAM
  ${If} ${RunningX64}
    StrCpy $SetBits 64
  ${EndIf}
!endif
!ifndef X64_PROGRAM
  ${If} ${RunningX64}
    DetailPrint "64-bit Windows: this installer has only the 32-bit set"
  ${EndIf}
!endif
!ifndef X86_PROGRAM
  ${If} $SetBits == 32
    MessageBox MB_ICONSTOP|MB_OK "This installer is for 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
!endif
  ${If} $SetBits == 64
    SetRegView 64
    StrCpy $ElevationKey "${ELEVATION_POLICIES}\${ELEVATION_GUID_X64}"
  ${Else}
    StrCpy $ElevationKey "${ELEVATION_POLICIES}\${ELEVATION_GUID_X86}"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro ChooseSet ""
!insertmacro ChooseSet "un."

Function .onInit
  Call ChooseSet
  ${If} $SetBits == 64
  ${AndIf} $INSTDIR == "$PROGRAMFILES\Quellix"
    StrCpy $INSTDIR "$PROGRAMFILES64\Quellix"
  ${EndIf}
  SetShellVarContext all
  !insertmacro UnpackSetupHelper
FunctionEnd

; The finish page's "Start Quellix now". The installer runs elevated: a
; program it started itself would run elevated too, with the elevating
; administrator's HKEY_CURRENT_USER, and the hooks in the user's programs
; could not reach its windows. The desktop's shell starts it instead, as the
; user (QuellixSetup.dll), or, where there is no shell desktop, this process.
Function StartQuellix
  System::Call '$PLUGINSDIR\QuellixSetup.dll::StartAsUser(w "$INSTDIR\Quellix.exe", w "$INSTDIR") i .r0 ?u'
  ${If} $0 = 0
    MessageBox MB_ICONEXCLAMATION|MB_OK "Quellix could not be started. Please start it from the Start menu." /SD IDOK
  ${EndIf}
FunctionEnd

; Entries for everyone under HKEY_LOCAL_MACHINE, in both registry views
; (the same key twice on 32-bit Windows): a 64-bit system's 32-bit browser
; reads the 32-bit view.
; - The browser helper, registered once for everyone: it starts the program
;   only for the users whose start mode asks for it.
; - Internet Explorer's elevation policy for Quellix.exe: policy 3 "silently
;   starts the broker as a medium integrity process", so that the program the
;   helper starts from a Protected Mode tab does not run at low integrity,
;   where it could write neither its files nor HKEY_CURRENT_USER. Microsoft:
;   "Understanding and Working in Protected Mode Internet Explorer"
;   (learn.microsoft.com/previous-versions/windows/internet-explorer/
;   ie-developer/platform-apis/ms537319(v=vs.85) and the pages it links) and
;   KB 918239, "Elevation policy registry organization" (AppName, AppPath,
;   Policy).
!macro WriteMachineEntries ROOT
  WriteRegStr ${ROOT} "${HELPER_KEY}" "" "Quellix Browser Helper"
  WriteRegStr ${ROOT} "$ElevationKey" "AppName" "Quellix.exe"
  WriteRegStr ${ROOT} "$ElevationKey" "AppPath" "$INSTDIR"
  WriteRegDWORD ${ROOT} "$ElevationKey" "Policy" 3
!macroend

; The helper's entry goes from a view only where its class went too: the
; other bitness's installation may still use it.
!macro RemoveMachineEntries ROOT CLASSES
  DeleteRegKey ${ROOT} "$ElevationKey"
  ClearErrors
  ReadRegStr $0 ${CLASSES} "CLSID\${HELPER_CLSID}\InprocServer32" ""
  ${If} ${Errors}
    DeleteRegKey ${ROOT} "${HELPER_KEY}"
  ${EndIf}
!macroend

; The files of one set, all but the help and the sound.
!macro PutSet PROGRAM CONTROL HOOKLIB HELPER RULESTOOL
  File "/oname=Quellix.exe" "${PROGRAM}"
  File "/oname=${CONTROL_NAME}" "${CONTROL}"
  File "/oname=catchwire.dll" "${HOOKLIB}"
  File "/oname=QuellixHelper.dll" "${HELPER}"
  File "/oname=quellix-rules.exe" "${RULESTOOL}"
!macroend

; A server of the set's bitness registers itself. This installer's process
; can load only servers of its own bitness; a 64-bit one is registered by
; the 64-bit regsvr32, reached past the 32-bit file system redirection.
!macro Register FILE UNDO
  ClearErrors
!if ${BITS} == 32
  ${If} $SetBits == 64
    ${DisableX64FSRedirection}
    ExecWait '"$SYSDIR\regsvr32.exe" /s ${UNDO} "${FILE}"' $0
    ${EnableX64FSRedirection}
    ${If} $0 != 0
      SetErrors
    ${EndIf}
  ${Else}
!endif
    !if "${UNDO}" == "/u"
      UnRegDLL "${FILE}"
    !else
      RegDLL "${FILE}"
    !endif
!if ${BITS} == 32
  ${EndIf}
!endif
!macroend

; The 32-bit browser helper beside the 64-bit set: its class goes into the
; 32-bit registry view, what its own registration would write there.
!macro RegisterHelper32
  WriteRegStr HKLM32 "${HELPER32_CLASS_KEY}" "" "Quellix Browser Helper"
  WriteRegStr HKLM32 "${HELPER32_CLASS_KEY}\InprocServer32" "" "$INSTDIR\QuellixHelper32.dll"
  WriteRegStr HKLM32 "${HELPER32_CLASS_KEY}\InprocServer32" "ThreadingModel" "Apartment"
!macroend

Section "Quellix" SecProgram
  SectionIn RO
  Call EndQuellix
  SetOutPath "$INSTDIR"
  ${If} $SetBits == 64
!ifdef X64_PROGRAM
    !insertmacro PutSet "${X64_PROGRAM}" "${X64_CONTROL}" "${X64_HOOKLIB}" "${X64_HELPER}" "${X64_RULESTOOL}"
!ifdef X86_HOOKHOST
    File "/oname=catchwire32.dll" "${X86_HOOKLIB}"
    File "/oname=QuellixHook32.exe" "${X86_HOOKHOST}"
    File "/oname=QuellixHelper32.dll" "${X86_HELPER}"
    !insertmacro RegisterHelper32
!endif
!endif
  ${Else}
!ifdef X86_PROGRAM
    !insertmacro PutSet "${X86_PROGRAM}" "${X86_CONTROL}" "${X86_HOOKLIB}" "${X86_HELPER}" "${X86_RULESTOOL}"
!endif
  ${EndIf}
  File "/oname=quellix.chm" "${HELP}"
  SetOutPath "$INSTDIR\sounds"
  File "/oname=cork.wav" "${SOUND}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The hook control and the browser helper register their COM classes
  ; themselves.
  !insertmacro Register "$INSTDIR\${CONTROL_NAME}" ""
  ${If} ${Errors}
    DetailPrint "Could not register ${CONTROL_NAME}"
  ${EndIf}
  !insertmacro Register "$INSTDIR\QuellixHelper.dll" ""
  ${If} ${Errors}
    DetailPrint "Could not register QuellixHelper.dll"
  ${EndIf}

  !insertmacro WriteMachineEntries HKLM64
  !insertmacro WriteMachineEntries HKLM32
  ; Nothing per user: elevated, HKEY_CURRENT_USER may be another user's (the
  ; administrator's who elevated it). The program points the browser's
  ; right-click entries at its scripts itself.

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

; What the program writes for the browser's right-click entries, in the
; user's data folder or (older versions, a writable program folder) in its
; own folder.
!macro DeleteMenuFiles FOLDER
  Delete "${FOLDER}\blocksite.script"
  Delete "${FOLDER}\blocksite.script2"
  Delete "${FOLDER}\trustsite.script"
  Delete "${FOLDER}\trustsite.script2"
  Delete "${FOLDER}\b??????????.html"
  Delete "${FOLDER}\t??????????.html"
!macroend

; The user's rules, logs and error log, in either folder.
!macro DeleteUserFiles FOLDER
  Delete "${FOLDER}\websites.dat"
  Delete "${FOLDER}\servers.lst"
  Delete "${FOLDER}\windows.dat"
  Delete "${FOLDER}\log.dat"
  Delete "${FOLDER}\log.htm"
  Delete "${FOLDER}\ErrorLog.txt"
!macroend

; The current user's data folder (%APPDATA%\Quellix), where the program
; keeps its files when it may not write into its own folder.
Var UserDataFolder

Section "un.Quellix" SecUnProgram
  SectionIn RO
  Call un.EndQuellix
  !insertmacro Register "$INSTDIR\QuellixHelper.dll" "/u"
  !insertmacro Register "$INSTDIR\${CONTROL_NAME}" "/u"
  ; The 32-bit helper's class, unless another installation took it over.
  ReadRegStr $0 HKLM32 "${HELPER32_CLASS_KEY}\InprocServer32" ""
  ${If} $0 == "$INSTDIR\QuellixHelper32.dll"
    DeleteRegKey HKLM32 "${HELPER32_CLASS_KEY}"
  ${EndIf}
  !insertmacro RemoveMachineEntries HKLM64 HKCR64
  !insertmacro RemoveMachineEntries HKLM32 HKCR32
  !insertmacro DeleteWhenFree "$INSTDIR\Quellix.exe"
  Delete "$INSTDIR\${CONTROL_NAME}"
  ; The hook library stays mapped in other programs until each of them next
  ; handles a message after the hooks went, and the browser helper lives in
  ; running browsers: leave them to the next restart.
  !insertmacro DeleteWhenFree "$INSTDIR\catchwire.dll"
  !insertmacro DeleteWhenFree "$INSTDIR\catchwire32.dll"
  ; The hook host ends with the program, a moment after it.
  !insertmacro DeleteWhenFree "$INSTDIR\QuellixHook32.exe"
  Delete /REBOOTOK "$INSTDIR\QuellixHelper.dll"
  Delete /REBOOTOK "$INSTDIR\QuellixHelper32.dll"
  Delete "$INSTDIR\quellix-rules.exe"
  Delete "$INSTDIR\quellix.chm"
  Delete "$INSTDIR\sounds\cork.wav"
  RMDir "$INSTDIR\sounds"
  ; The right-click entries go, and what they ran.
  !insertmacro DeleteMenuFiles "$INSTDIR"
  !insertmacro DeleteMenuFiles "$UserDataFolder"
  DeleteRegKey HKCU "${MENUEXT_KEY}\${ALLOW_ENTRY}"
  DeleteRegKey HKCU "${MENUEXT_KEY}\${KILL_ENTRY}"
  ; The start-up entries the program writes at exit would point at nothing.
  DeleteRegValue HKLM "${RUN_KEY}" "Quellix"
  DeleteRegValue HKCU "${RUN_KEY}" "Quellix"
  Delete "$SMPROGRAMS\Quellix\Quellix.lnk"
  Delete "$SMPROGRAMS\Quellix\Quellix Help.lnk"
  Delete "$SMPROGRAMS\Quellix\Uninstall Quellix.lnk"
  RMDir "$SMPROGRAMS\Quellix"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
SectionEnd

Section /o "un.Your rules, logs and settings" SecUserData
  !insertmacro DeleteUserFiles "$INSTDIR"
  !insertmacro DeleteUserFiles "$UserDataFolder"
  DeleteRegKey HKCU "Software\Quellix"
SectionEnd

Section "-un.Folder"
  ; Empty only when nothing of the user's is left in it. When a library
  ; still in use waits for the restart, the folder is put down for then too:
  ; the system removes it only if it is empty by that time.
  RMDir "$UserDataFolder"
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR", p 0, i 4) i .r0'
  ${EndIf}
SectionEnd

; After the sections, whose indices it needs.
Function un.onInit
  Call un.ChooseSet
  SetShellVarContext current
  ; Unknown, the program's folder stands in (and is cleaned twice).
  StrCpy $UserDataFolder "$INSTDIR"
  ${If} $APPDATA != ""
    StrCpy $UserDataFolder "$APPDATA\Quellix"
  ${EndIf}
  SetShellVarContext all
  !insertmacro UnpackSetupHelper
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
