; The installer of Heftscope, one per architecture. CMake builds it with the
; values it sets once for the whole build:
;   makensis -DARCH=x64|x86 -DPRODUCT_NAME=... -DCOMPANY_NAME=... -DCOPYRIGHT=...
;            -DVERSION=1.2.3 -DPROGRAM=heftscope.exe -DHELP=heftscope.htm
;            -DICON=heftscope.ico -DOUTFILE=heftscope-setup-x64.exe heftscope.nsi
; It installs the program and its help file for all users under Program Files
; (the 64-bit one under the 64-bit Program Files), adds a Start-menu shortcut,
; "Open in Heftscope" on the right-click menu of folders and drives, and an
; entry under Add/Remove Programs. The uninstaller removes all of it and the
; program's own settings. /S installs or uninstalls silently, /D=FOLDER
; (last on the command line) chooses the folder.

!if "${ARCH}" == "x64"
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else if "${ARCH}" == "x86"
    Target x86-unicode
    !define PROGRAM_FILES "$PROGRAMFILES32"
!else
    !error "ARCH must be x64 or x86"
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinVer.nsh"

; Where Add/Remove Programs finds the program (HKLM, in the registry view of
; the program's own architecture).
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_NAME}"
; The program keeps its settings under the company's key, in the subkey of
; its application name.
!define SETTINGS_PARENT_KEY "Software\${COMPANY_NAME}"
!define SETTINGS_KEY "${SETTINGS_PARENT_KEY}\HEFT"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
; Explorer's right-click menu of folders and of drives, for all users.
!define FOLDER_MENU_KEY "Software\Classes\Directory\shell\${PRODUCT_NAME}"
!define DRIVE_MENU_KEY "Software\Classes\Drive\shell\${PRODUCT_NAME}"
!define MENU_TEXT "Open in ${PRODUCT_NAME}"

Name "${PRODUCT_NAME}"
Caption "${PRODUCT_NAME} ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT_NAME}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
BrandingText "${COMPANY_NAME}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY_NAME}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT_NAME} Setup (${ARCH})"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The oldest Windows the program is supported on: Windows 7 with Service
; Pack 1, build 7601 (Windows 7 itself is 7600, every later Windows higher).
!macro RequireWindowsVersion
    ${IfNot} ${AtLeastBuild} 7601
        MessageBox MB_OK|MB_ICONSTOP "${PRODUCT_NAME} needs Windows 7 Service Pack 1 or later." /SD IDOK
        Abort
    ${EndIf}
!macroend

!macro AddExplorerMenu KEY
    WriteRegStr HKLM "${KEY}" "" "${MENU_TEXT}"
    WriteRegStr HKLM "${KEY}" "Icon" "$INSTDIR\heftscope.exe,0"
    WriteRegStr HKLM "${KEY}\command" "" "$\"$INSTDIR\heftscope.exe$\" $\"%1$\""
!macroend

!macro UseProgramRegistryView
    !if "${ARCH}" == "x64"
        SetRegView 64
    !endif
!macroend

Function .onInit
    !insertmacro RequireWindowsVersion
    SetShellVarContext all
    !insertmacro UseProgramRegistryView
FunctionEnd

Section "Install"
    SetOutPath "$INSTDIR"
    File "/oname=heftscope.exe" "${PROGRAM}"
    File "/oname=heftscope.htm" "${HELP}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "${SHORTCUT}" "$INSTDIR\heftscope.exe" "" "$INSTDIR\heftscope.exe" 0 \
        SW_SHOWNORMAL "" "${PRODUCT_NAME} disk-space viewer"
    !insertmacro AddExplorerMenu "${FOLDER_MENU_KEY}"
    !insertmacro AddExplorerMenu "${DRIVE_MENU_KEY}"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY_NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\heftscope.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KiB, as Add/Remove Programs reads it.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetShellVarContext all
    !insertmacro UseProgramRegistryView
FunctionEnd

Section "Uninstall"
    Delete "${SHORTCUT}"
    Delete "$INSTDIR\heftscope.exe"
    Delete "$INSTDIR\heftscope.htm"
    Delete "$INSTDIR\uninstall.exe"
    ; Only if empty: whatever the user put there stays.
    RMDir "$INSTDIR"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "${FOLDER_MENU_KEY}"
    DeleteRegKey HKLM "${DRIVE_MENU_KEY}"
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT_KEY}"
SectionEnd
