; The ptpdiag installer: per user, no administrator rights; a Start menu
; folder with the program, the demo radio and the uninstaller.
; makensis -DVERSION=x.y.z -DSTAGE=folder -DOUTFILE=setup.exe -DICON=ptpdiag.ico
; A 64-bit installer, like the program it installs.
Target amd64-unicode
!ifndef VERSION | STAGE | OUTFILE | ICON
  !error "VERSION, STAGE, OUTFILE and ICON must be given"
!endif

!define FULLNAME "Norvalen PTP Diagnostics"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ptpdiag"
!define SETTINGS_KEY "Software\Norvalen\ptpdiag"

Name "${FULLNAME} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\ptpdiag"
InstallDirRegKey HKCU "${SETTINGS_KEY}" "InstallDir"
Icon "${ICON}"
UninstallIcon "${ICON}"
SetCompressor /SOLID lzma
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${FULLNAME}"
VIAddVersionKey "FileDescription" "${FULLNAME} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Norvalen"
VIAddVersionKey "LegalCopyright" "Norvalen"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "ptpdiag"
  SetOutPath "$INSTDIR"
  File "${STAGE}\ptpdiag.exe"
  File "${STAGE}\ptpdiag-sim.exe"
  File /r "${STAGE}\guide"
  File "${STAGE}\CHANGELOG.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\demo.cap"
  File "${STAGE}\example.RAD"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\ptpdiag"
  CreateShortcut "$SMPROGRAMS\ptpdiag\${FULLNAME}.lnk" "$INSTDIR\ptpdiag.exe" "" \
    "$INSTDIR\ptpdiag.exe" 0
  CreateShortcut "$SMPROGRAMS\ptpdiag\${FULLNAME} (demo radio).lnk" "$INSTDIR\ptpdiag.exe" \
    "--demo" "$INSTDIR\ptpdiag.exe" 0
  CreateShortcut "$SMPROGRAMS\ptpdiag\ptpdiag User Guide.lnk" "$INSTDIR\guide\index.html"
  CreateShortcut "$SMPROGRAMS\ptpdiag\Uninstall ptpdiag.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${FULLNAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Norvalen"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ptpdiag.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\ptpdiag.exe"
  Delete "$INSTDIR\ptpdiag-sim.exe"
  RMDir /r "$INSTDIR\guide"
  Delete "$INSTDIR\CHANGELOG.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\demo.cap"
  Delete "$INSTDIR\example.RAD"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\ptpdiag\${FULLNAME}.lnk"
  Delete "$SMPROGRAMS\ptpdiag\${FULLNAME} (demo radio).lnk"
  Delete "$SMPROGRAMS\ptpdiag\ptpdiag User Guide.lnk"
  Delete "$SMPROGRAMS\ptpdiag\Uninstall ptpdiag.lnk"
  RMDir "$SMPROGRAMS\ptpdiag"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd
