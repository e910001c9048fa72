; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer: per user, with no administrator rights, into the
; user's own programs folder, with a Start-menu shortcut and an entry in the
; list of installed apps. makensis packs a folder that `cmake --install` laid
; out (cmake/WindowsPackaging.cmake), given with these -D definitions:
;   VERSION (0.1.0), ARCH (win32 or win64), STAGE (the folder), OUTFILE,
;   PUBLISHER, SITE_URL, ICON (the program's .ico)
; /S installs (and uninstall.exe /S removes) without a window.

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define PRODUCT "Orvelle Player"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvellePlayer"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; The folder Windows gives each user's own programs (FOLDERID_UserProgramFiles).
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; Installing again, or a newer version, goes where the last one went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1036 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1036 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "FileDescription" "Installation de ${PRODUCT}"
VIAddVersionKey /LANG=1036 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1036 "LegalCopyright" "© ${PUBLISHER}, GPL-3.0-or-later"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvelle-player.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

; Every file the installer puts in $INSTDIR, once: installed and removed by the same list.
!macro ForEachFile ACTION
  !insertmacro ${ACTION} "orvelle-player.exe"
  !insertmacro ${ACTION} "libbass.dll"
  !insertmacro ${ACTION} "LICENSE"
  !insertmacro ${ACTION} "THIRD-PARTY.md"
  !insertmacro ${ACTION} "LISEZMOI.txt"
!macroend
!macro InstallFile NAME
  File "${STAGE}/${NAME}"
!macroend
!macro RemoveFile NAME
  Delete "$INSTDIR\${NAME}"
!macroend

Function .onInit
  !if "${ARCH}" == "win64"
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP "Cette version d'${PRODUCT} est pour Windows 64 bits ; prenez la version 32 bits (win32)." /SD IDOK
      Abort
    ${EndIf}
  !endif
FunctionEnd

; A running player holds its program open: say so and stop, rather than
; leave its files half replaced or half removed.
!macro AbortIfRunning DIR
  ${If} ${FileExists} "${DIR}\orvelle-player.exe"
    ClearErrors
    FileOpen $0 "${DIR}\orvelle-player.exe" a
    ${If} ${Errors}
      MessageBox MB_ICONSTOP "${PRODUCT} est ouvert : fermez-le, puis recommencez." /SD IDOK
      Abort
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

Section
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  !insertmacro AbortIfRunning "$INSTDIR"
  ${If} $1 != ""
    !insertmacro AbortIfRunning "$1"
  ${EndIf}
  ; An older version goes first, by its own uninstaller, which knows its
  ; files: one that this version no longer ships is not left behind. With
  ; _?= it runs in place and is waited for (it cannot delete itself then).
  ${If} $1 != ""
  ${AndIf} ${FileExists} "$1\uninstall.exe"
    ClearErrors
    ExecWait '"$1\uninstall.exe" /S _?=$1' $2
    ${If} ${Errors}
    ${OrIf} $2 != 0
      MessageBox MB_ICONSTOP "La version déjà installée d'${PRODUCT} n'a pas pu être retirée (code $2)." /SD IDOK
      Abort
    ${EndIf}
    Delete "$1\uninstall.exe"
    RMDir "$1"
  ${EndIf}
  SetOutPath "$INSTDIR"
  !insertmacro ForEachFile InstallFile
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\orvelle-player.exe" "" "$INSTDIR\orvelle-player.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvelle-player.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${SITE_URL}"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  !insertmacro AbortIfRunning "$INSTDIR"
  !insertmacro ForEachFile RemoveFile
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; Made by the installer where the user had no programs of their own yet;
  ; removed only while empty.
  RMDir "$LOCALAPPDATA\Programs"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
