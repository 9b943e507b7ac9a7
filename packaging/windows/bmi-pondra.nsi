; The station's Windows installer: the program folder under Program Files,
; a Start-menu entry, the data folder with the sample assessment texts (an
; operator's own texts are never overwritten) and an uninstaller that removes
; only what was installed, by name, so that a folder chosen for the program
; keeps whatever else it holds (person files among them).
; makensis -DVERSION=... -DSTAGE=... -DOUTFILE=... -DINSTALLED=<list of Delete/RMDir lines>
Unicode true
Target amd64-unicode
!include "MUI2.nsh"

!define APP "BMI - Pondra"
!define DATA "C:\Eigene Dateien"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\bmi-pondra"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; No build times in the installer: the same source gives the same setup.exe.
SetDateSave off

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

Section "" Program
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r /x samples "${STAGE}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\bmi-pondra.exe"

  SetOutPath "${DATA}"
  SetOverwrite off
  File "${STAGE}\samples\bmi*.txt"
  SetOverwrite on

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${APP}"
  SectionGetSize ${Program} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\bmi-pondra.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${APP}.lnk"
  !include "${INSTALLED}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
