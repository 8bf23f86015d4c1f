; The Windows installer, package-viewer-VERSION-setup.exe, made by
; scripts/release-windows with NSIS (makensis):
;   makensis -DVERSION_NSH=BUILD/generated/win32/version.nsh
;            -DRELEASE_DIR=FOLDER -DOUTFILE=SETUP.exe package-viewer.nsi
; FOLDER holds the release's six files and its web folder (the zip's).
; version.nsh, written by the build's configuration, defines VIEWER_VERSION
; and VIEWER_FILE_VERSION.
;
; It installs for the current user, without administrator rights, into the
; user's local programs folder, or for all users into Program Files when
; started with /AllUsers (which needs an administrator). /S installs without
; a question; /D=FOLDER (last on the line) chooses the folder. The
; uninstaller (uninstall.exe in that folder, listed among the installed
; programs) takes /S too.
;
; Exit status: 0 done; 2 a running viewer did not close within 10 s, or the
; player cancelled (nothing has changed then); 5 /AllUsers without
; administrator rights.
;
; The bundled pictures are the player's to replace: the CRC-32 of each, as
; installed, is kept in the uninstall entry, and an upgrade or the uninstaller
; replaces or removes a picture only while it still has that CRC.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "${VERSION_NSH}"
!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh
!include WinMessages.nsh

!define PRODUCT "KZR Tern Haven Package Viewer"
!define PUBLISHER "KZR Package Viewer team"
!define FOLDER_NAME "KZR Package Viewer"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KZR Package Viewer"
!define CLASSES "Software\Classes"
!define PROGID "KZRPackageViewer.Savegame"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; Every version's window class starts so (the class is the window's title).
!define WINDOW_CLASS_PREFIX "KZR Tern Haven  Package Viewer V"
!define CLOSE_WAIT_MS 10000
!define STATUS_VIEWER_RUNNING 2
!define STATUS_NOT_ADMIN 5

Name "${PRODUCT} ${VIEWER_VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VIEWER_VERSION}"
!define MUI_ICON "${__FILEDIR__}/../../assets/package-viewer.ico"
!define MUI_UNICON "${__FILEDIR__}/../../assets/package-viewer.ico"

VIProductVersion "${VIEWER_FILE_VERSION}"
VIFileVersion "${VIEWER_FILE_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VIEWER_VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VIEWER_VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}, MIT License"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var AllUsers

; --- shared by the installer and the uninstaller ------------------------------

!macro SHARED_FUNCTIONS un
; Pushes the CRC-32 of the file whose path is on the stack, as eight hex
; digits, or "" when it cannot be read.
Function ${un}FileCrc32
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  ClearErrors
  FileOpen $1 $0 r
  ${If} ${Errors}
    StrCpy $0 ""
  ${Else}
    System::Alloc 65536
    Pop $2
    StrCpy $3 0
    ${Do}
      System::Call "kernel32::ReadFile(p r1, p r2, i 65536, *i .r4, p 0) i"
      ${IfThen} $4 <= 0 ${|} ${ExitDo} ${|}
      System::Call "ntdll::RtlComputeCrc32(i r3, p r2, i r4) i .r3"
    ${Loop}
    System::Free $2
    FileClose $1
    IntFmt $0 "%08X" $3
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Asks every running viewer, of any version, to close (as its window's close
; box does) and waits up to 10 s in all for them to end. When one is still
; running then, the player may close it and try again; silently, or when the
; player cancels, the program ends here with nothing changed.
Function ${un}CloseRunningViewers
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  System::Call "kernel32::GetTickCount() i .r5"
  IntOp $5 $5 + ${CLOSE_WAIT_MS}
  ${Do}
    ; The first window left whose class is a viewer's.
    StrCpy $0 0
    ${Do}
      FindWindow $0 "" "" 0 $0
      ${IfThen} $0 = 0 ${|} ${ExitDo} ${|}
      System::Call "user32::GetClassNameW(p r0, w .r1, i ${NSIS_MAX_STRLEN}) i"
      StrLen $2 "${WINDOW_CLASS_PREFIX}"
      StrCpy $1 $1 $2
      ${IfThen} $1 S== "${WINDOW_CLASS_PREFIX}" ${|} ${ExitDo} ${|}
    ${Loop}
    ${IfThen} $0 = 0 ${|} ${ExitDo} ${|}

    System::Call "kernel32::GetTickCount() i .r4"
    IntOp $4 $5 - $4
    ${If} $4 > 0
      System::Call "user32::GetWindowThreadProcessId(p r0, *i .r2) i"
      ; SYNCHRONIZE: enough to wait for the process's end.
      System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3"
      System::Call "user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0) i"
      ${If} $3 != 0
        System::Call "kernel32::WaitForSingleObject(p r3, i r4) i .r2"
        System::Call "kernel32::CloseHandle(p r3) i"
      ${Else}
        ; Its process is gone already, or cannot be waited for: wait for
        ; the window itself.
        Sleep 100
      ${EndIf}
      ${Continue}
    ${EndIf}

    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} is still running. Close it, then choose Retry." /SD IDCANCEL IDRETRY retry
    SetErrorLevel ${STATUS_VIEWER_RUNNING}
    Quit
  retry:
    System::Call "kernel32::GetTickCount() i .r5"
    IntOp $5 $5 + ${CLOSE_WAIT_MS}
  ${Loop}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function ${un}RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP \
      "Installing or removing ${PRODUCT} for all users needs administrator rights." /SD IDOK
    SetErrorLevel ${STATUS_NOT_ADMIN}
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; --- installer ------------------------------------------------------------------

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AllUsers" $1
  ${If} ${Errors}
    StrCpy $AllUsers 0
    SetShellVarContext current
  ${Else}
    StrCpy $AllUsers 1
    Call RequireAdministrator
    SetShellVarContext all
  ${EndIf}
  ; An upgrade goes where the version before it is (SHCTX follows the
  ; context: HKCU for one user, HKLM for all); /D= overrides.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $AllUsers = 1
      StrCpy $INSTDIR "$PROGRAMFILES\${FOLDER_NAME}"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${FOLDER_NAME}"
    ${EndIf}
  ${EndIf}
  Call CloseRunningViewers
FunctionEnd

; A bundled picture: installed where there is none, or where the one there is
; unchanged (the one this or an earlier version installed); one the player
; replaced stays. The CRC of what this version bundles is kept either way.
!macro INSTALL_PICTURE name
  File "/oname=$PLUGINSDIR\${name}" "${RELEASE_DIR}/${name}"
  Push "$PLUGINSDIR\${name}"
  Call FileCrc32
  Pop $1
  StrCpy $4 1
  ${If} ${FileExists} "$INSTDIR\${name}"
    Push "$INSTDIR\${name}"
    Call FileCrc32
    Pop $2
    ReadRegStr $3 SHCTX "${UNINSTALL_KEY}" "Installed ${name}"
    ${If} $2 != $1
    ${AndIf} $2 != $3
      StrCpy $4 0
      DetailPrint "Kept ${name}: it is not the picture an earlier setup installed"
    ${EndIf}
  ${EndIf}
  ${If} $4 = 1
    CopyFiles /SILENT "$PLUGINSDIR\${name}" "$INSTDIR"
  ${EndIf}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Installed ${name}" $1
!macroend

Section "Install"
  InitPluginsDir
  SetOutPath "$INSTDIR"
  File "${RELEASE_DIR}/package-viewer.exe"
  File "${RELEASE_DIR}/package-tool.exe"
  File "${RELEASE_DIR}/README.txt"
  File "${RELEASE_DIR}/LICENSE-DejaVu.txt"
  ; The web page as this version builds it, none of an earlier one's files
  ; left among it.
  RMDir /r "$INSTDIR\web"
  File /r "${RELEASE_DIR}/web"
  !insertmacro INSTALL_PICTURE "font.bmp"
  !insertmacro INSTALL_PICTURE "THmap.bmp"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The Start menu entry starts the viewer in the player's Pictures folder:
  ; the program's folder may not be writable, and F12 saves into the folder
  ; the viewer started in while no save is open. For all users the folder is
  ; named through the environment, which Windows expands for each user.
  ${If} $AllUsers = 1
    StrCpy $OUTDIR "%USERPROFILE%\Pictures"
  ${Else}
    StrCpy $OUTDIR "$PICTURES"
  ${EndIf}
  CreateShortCut "${SHORTCUT}" "$INSTDIR\package-viewer.exe" "" "$INSTDIR\package-viewer.exe" 0 \
    SW_SHOWNORMAL "" "Shows the packages and rampages left in a KZR Tern Haven savegame"
  SetOutPath "$INSTDIR"

  ; Savegames (.b): the viewer in their "Open with" list, and their program
  ; where no other program claims them. The viewer takes the save's name as
  ; its whole command line.
  WriteRegStr SHCTX "${CLASSES}\${PROGID}" "" "KZR Tern Haven savegame"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\package-viewer.exe,0"
  WriteRegStr SHCTX "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\package-viewer.exe" "%1"'
  WriteRegStr SHCTX "${CLASSES}\.b\OpenWithProgids" "${PROGID}" ""
  ; HKCR: the user's and the machine's claims together.
  ReadRegStr $0 HKCR ".b" ""
  ${If} $0 == ""
  ${OrIf} $0 == "${PROGID}"
    WriteRegStr SHCTX "${CLASSES}\.b" "" "${PROGID}"
  ${EndIf}
  ; SHCNE_ASSOCCHANGED: Explorer shows the new icon and program.
  System::Call "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VIEWER_VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\package-viewer.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; --- uninstaller ------------------------------------------------------------------

Function un.onInit
  ; Installed for all users when the machine's entry names this folder.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 == $INSTDIR
    StrCpy $AllUsers 1
    Call un.RequireAdministrator
    SetShellVarContext all
  ${Else}
    StrCpy $AllUsers 0
    SetShellVarContext current
  ${EndIf}
  Call un.CloseRunningViewers
FunctionEnd

; A bundled picture goes only while it is the one the setup installed.
!macro REMOVE_PICTURE name
  ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "Installed ${name}"
  Push "$INSTDIR\${name}"
  Call un.FileCrc32
  Pop $2
  ${If} $2 != ""
  ${AndIf} $2 == $1
    Delete "$INSTDIR\${name}"
  ${ElseIf} $2 != ""
    DetailPrint "Kept ${name}: it was replaced after the setup installed it"
  ${EndIf}
!macroend

Section "Uninstall"
  Delete "$INSTDIR\package-viewer.exe"
  Delete "$INSTDIR\package-tool.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE-DejaVu.txt"
  RMDir /r "$INSTDIR\web"
  !insertmacro REMOVE_PICTURE "font.bmp"
  !insertmacro REMOVE_PICTURE "THmap.bmp"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: the player's files stay, and their folder with them.
  RMDir "$INSTDIR"
  ; The user's programs folder too, when this was all it held.
  ${If} $AllUsers = 0
    RMDir "$LOCALAPPDATA\Programs"
  ${EndIf}
  Delete "${SHORTCUT}"

  ; The savegame type: the claim only while it is ours, the keys only while
  ; nothing else is in them.
  ReadRegStr $0 SHCTX "${CLASSES}\.b" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue SHCTX "${CLASSES}\.b" ""
  ${EndIf}
  DeleteRegValue SHCTX "${CLASSES}\.b\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "${CLASSES}\.b\OpenWithProgids"
  DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "${CLASSES}\.b"
  DeleteRegKey SHCTX "${CLASSES}\${PROGID}"
  System::Call "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
