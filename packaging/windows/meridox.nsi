; The installer of Meridox for 64-bit Windows, made by scripts/build-windows.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0
;            -DFILES=<folder of the generated lists> -DSIZE_KB=<size>
;            -DOUTFILE=<setup.exe> packaging/windows/meridox.nsi
; FILES holds install-files.nsh and uninstall-files.nsh, the portable
; folder's files (the guide in kilavuz\ among them) as File and Delete
; lines: the uninstaller removes exactly what was installed, never a folder
; wholesale, so a chosen folder that held other files keeps them.
;
; Per machine, under Program Files, for every user; /S installs and
; uninstalls without a page. The user's data (%LOCALAPPDATA%\Meridox: the
; databases, Settings.ini, the attendance files, the demo) is never touched.

!macro Required NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined: the installer is made by scripts/build-windows.sh"
  !endif
!macroend
!insertmacro Required VERSION
!insertmacro Required FILES
!insertmacro Required SIZE_KB
!insertmacro Required OUTFILE

Unicode true
; The program is 64-bit, and so is the installer: it runs where the program
; runs, sees the 64-bit registry and Program Files without redirection.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define APP "Meridox"
!define PUBLISHER "Meridox"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define DEMO_SHORTCUT "${APP} (deneme terminalleri)"
!define GUIDE_SHORTCUT "Kullanım Kılavuzu"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1055 "ProductName" "${APP}"
VIAddVersionKey /LANG=1055 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1055 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1055 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1055 "FileDescription" "${APP} kurulumu"
VIAddVersionKey /LANG=1055 "LegalCopyright" "${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\BENIOKU.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Turkish"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${APP} 64 bit Windows gerektirir." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "${APP}" SecMain
  SectionIn RO
  SetShellVarContext all

  ; An earlier version goes first, in its own way and in place (_?= makes
  ; its uninstaller run from where it is and wait), so files that this
  ; version no longer has do not stay behind.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    ExecWait '"$0\uninstall.exe" /S _?=$0'
    Delete "$0\uninstall.exe"
    RMDir "$0"
  ${EndIf}

  !include "${FILES}\install-files.nsh"

  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\${APP}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\meridox.exe" "" \
    "$INSTDIR\meridox.exe" 0 SW_SHOWNORMAL "" "Terminallerin listesi, veri aktarımı, parmak izi yedekleri"
  CreateShortcut "$SMPROGRAMS\${APP}\${DEMO_SHORTCUT}.lnk" "$INSTDIR\meridox-demo.exe" "" \
    "$INSTDIR\meridox.exe" 0 SW_SHOWNORMAL "" "Meridox'u üç sanal terminalle dener"
  ; The guide opens in the user's browser, as F1 opens it.
  CreateShortcut "$SMPROGRAMS\${APP}\${GUIDE_SHORTCUT}.lnk" "$INSTDIR\kilavuz\index.html" "" \
    "" 0 SW_SHOWNORMAL "" "Meridox'un resimli kullanım kılavuzu"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\meridox.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${APP}\${APP}.lnk"
  Delete "$SMPROGRAMS\${APP}\${DEMO_SHORTCUT}.lnk"
  Delete "$SMPROGRAMS\${APP}\${GUIDE_SHORTCUT}.lnk"
  RMDir "$SMPROGRAMS\${APP}"

  !include "${FILES}\uninstall-files.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
