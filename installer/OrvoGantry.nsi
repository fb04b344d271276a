; The OrvoGantry installer and its uninstaller. installer/CMakeLists.txt runs makensis
; with: VERSION (dotted), VERSION_QUAD (its four parts), ARCH (x64 or x86), LAUNCHER
; (the launcher to install), ICON, PUBLISHER, OUTFILE and, to sign the installer and
; the uninstaller, SIGN: a command that signs the file named after it in place (and
; SIGN_TIMESTAMP, the time-stamp server it is given after the file).
;
; Per machine, elevated, into Program Files. "/S" installs silently; "/S /KOUPGRADE" is
; how a running launcher starts it as its upgrader: it then waits for the launchers of
; the install folder to end, replaces the files, keeps the player's settings and the
; start-at-logon value, sends no install report and starts the new launcher.
Unicode true
!if ${ARCH} == x64
    Target amd64-unicode
!else
    Target x86-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "OrvoValdrenna"
!define LAUNCHER_EXE "OrvoGantry.exe"
!define UNINSTALLER_EXE "uninst.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvoGantry"
; The start-at-logon value the launcher's settings menu writes.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The launcher's own downloads (version file, upgrader, upgrade record) in the
; player's roaming application data; Gantry.ini beside that folder stays.
!define DOWNLOADS "Orvo游戏\tavro\Upgrade"
; How long the installer waits for a launcher it started or must see end.
!define BOUND_MS 30000

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} 安装"
UninstallCaption "${PRODUCT} 卸载"
OutFile "${OUTFILE}"
BrandingText "${PUBLISHER}"
!if ${ARCH} == x64
    InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
    InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif

!ifdef SIGN
    !ifndef SIGN_TIMESTAMP
        !define SIGN_TIMESTAMP ""
    !endif
    !finalize '${SIGN} "%1" "${SIGN_TIMESTAMP}"'
    !uninstfinalize '${SIGN} "%1" "${SIGN_TIMESTAMP}"'
!endif

; The launcher starts a downloaded upgrader only when this version is the announced one.
VIProductVersion ${VERSION_QUAD}
VIFileVersion ${VERSION_QUAD}
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Process.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
; The product's icon on the welcome and finish pages (164 x 314, made from res/app.ico).
!define MUI_WELCOMEFINISHPAGE_BITMAP "welcome.bmp"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartLauncher
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

!insertmacro DEFINE_RUN_BOUNDED ""
!insertmacro DEFINE_RUN_BOUNDED "un."

Var Upgrade ; "1" when started as the launcher's upgrader

!macro SET_VIEWS
    !if ${ARCH} == x64
        SetRegView 64
    !endif
    SetShellVarContext all
!macroend

Function .onInit
    !insertmacro SET_VIEWS
    StrCpy $Upgrade 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/KOUPGRADE" $1
    ${IfNot} ${Errors}
        StrCpy $Upgrade 1
        ; An upgrade replaces the installation where it is.
        ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
        ${If} $0 != ""
            StrCpy $INSTDIR $0
        ${EndIf}
    ${EndIf}
FunctionEnd

Function WriteUninstallEntry
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER_EXE}"'
    WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER_EXE}" /S'
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" '"$INSTDIR\${LAUNCHER_EXE}",0'
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
FunctionEnd

Section "${PRODUCT}"
    SetOutPath "$INSTDIR"
    ${If} $Upgrade == 1
        Call WaitForLaunchers
    ${EndIf}
    File "/oname=${LAUNCHER_EXE}" "${LAUNCHER}"
    WriteUninstaller "$INSTDIR\${UNINSTALLER_EXE}"
    ${If} $Upgrade != 1
        CreateDirectory "$SMPROGRAMS\${PRODUCT}"
        CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${LAUNCHER_EXE}"
        CreateShortcut "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk" "$INSTDIR\${UNINSTALLER_EXE}"
        CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${LAUNCHER_EXE}"
    ${EndIf}
    Call WriteUninstallEntry
    ${If} $Upgrade == 1
        Call StartLauncher
    ${Else}
        ; The launcher reports the installation and ends by itself.
        Push '"$INSTDIR\${LAUNCHER_EXE}" /setupsucc'
        Push ${BOUND_MS}
        Call RunBounded
    ${EndIf}
SectionEnd

Function un.onInit
    !insertmacro SET_VIEWS
FunctionEnd

Section "Uninstall"
    ; First, while the launcher is still there: it reports the uninstallation.
    Push '"$INSTDIR\${LAUNCHER_EXE}" /uninstallsucc'
    Push ${BOUND_MS}
    Call un.RunBounded
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    RMDir /r "$SMPROGRAMS\${PRODUCT}"
    ; A launcher still running goes at the next restart.
    Delete /REBOOTOK "$INSTDIR\${LAUNCHER_EXE}"
    Delete /REBOOTOK "$INSTDIR\${LAUNCHER_EXE}.old"
    Delete "$INSTDIR\${UNINSTALLER_EXE}"
    RMDir /REBOOTOK "$INSTDIR"
    DeleteRegKey HKLM "${UNINST_KEY}"
    SetShellVarContext current
    RMDir /r "$APPDATA\${DOWNLOADS}"
SectionEnd
