; Fenlow's installer: per user, no elevation. Built by the fenlow_setup target, which passes
; PRODUCT_NAME, PRODUCT_VERSION, FILE_VERSION, COMPANY, WEBSITE, LEGAL_COPYRIGHT (from version.h),
; MAIN_CLASS and IDM_TRAY_EXIT (from DornApp.h and resource.h), IDS_OUT, OUTFILE, EXE,
; LICENSE_TXT, OFL_TXT and ICON with -D; for a signed release also SIGN_CMAKE and SIGN_SCRIPT
; (cmake -DFILE=<file> -P <script> signs a file in place).
;
; Command line (besides NSIS's own /S and /D=dir):
;   setup:     /AUTOSTART=1 adds the "start when I sign in" Run value, /AUTOSTART=0 removes it;
;              without it the current state is kept (off on a first install).
;   uninstall: /REMOVESETTINGS=1 also deletes the settings, HKCU\SOFTWARE\<COMPANY>\<PRODUCT_NAME>.

Unicode true
; A 64-bit test build packs its own fenlow.exe in a 64-bit installer; the release is 32-bit.
!ifdef TARGET_AMD64
    Target amd64-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; Installed files get the time of installation, not of the build: the same inputs give the same setup.
SetDateSave off

!ifdef SIGN_SCRIPT
    ; The uninstaller is signed before it is packed, the installer once it is whole; a failed
    ; signing fails the build.
    !uninstfinalize '"${SIGN_CMAKE}" "-DFILE=%1" -P "${SIGN_SCRIPT}"' = 0
    !finalize '"${SIGN_CMAKE}" "-DFILE=%1" -P "${SIGN_SCRIPT}"' = 0
!endif

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_NAME}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Where the program keeps its settings.
!define SETTINGS_PARENT "SOFTWARE\${COMPANY}"
!define SETTINGS_KEY "${SETTINGS_PARENT}\${PRODUCT_NAME}"
; The program is found by its main window class, MAIN_CLASS, and ended by its tray menu's Exit
; command, IDM_TRAY_EXIT, which quits without asking (WM_CLOSE would ask the user first).
; Both are written down as this script sees them, for the test that holds them to the program's.
!appendfile "${IDS_OUT}" "MAIN_CLASS=${MAIN_CLASS}$\n"
!appendfile "${IDS_OUT}" "IDM_TRAY_EXIT=${IDM_TRAY_EXIT}$\n"

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT_NAME}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT_NAME} ${PRODUCT_VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var AutoStart
Var AutoStartBox
Var RemoveSettings
Var RemoveSettingsBox

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE_TXT}"
!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsShow OptionsLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\fenlow.exe"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
UninstPage custom un.OptionsShow un.OptionsLeave
!insertmacro MUI_UNPAGE_INSTFILES

; English first: it is the fallback for every other system language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Spanish"

LangString OptionsTitle ${LANG_ENGLISH} "Options"
LangString OptionsTitle ${LANG_SPANISH} "Opciones"
LangString OptionsSubtitle ${LANG_ENGLISH} "Choose when ${PRODUCT_NAME} starts."
LangString OptionsSubtitle ${LANG_SPANISH} "Elija cuándo se inicia ${PRODUCT_NAME}."
LangString AutoStartText ${LANG_ENGLISH} "&Start ${PRODUCT_NAME} when I sign in"
LangString AutoStartText ${LANG_SPANISH} "&Iniciar ${PRODUCT_NAME} al iniciar sesión"
LangString ShortcutDesc ${LANG_ENGLISH} "Shows Caps Lock, Num Lock and Scroll Lock in the notification area"
LangString ShortcutDesc ${LANG_SPANISH} "Muestra Bloq Mayús, Bloq Núm y Bloq Despl en el área de notificación"
LangString Closing ${LANG_ENGLISH} "Closing the running ${PRODUCT_NAME}..."
LangString Closing ${LANG_SPANISH} "Cerrando ${PRODUCT_NAME}, que está en ejecución..."
LangString UnOptionsTitle ${LANG_ENGLISH} "Your settings"
LangString UnOptionsTitle ${LANG_SPANISH} "Su configuración"
LangString UnOptionsSubtitle ${LANG_ENGLISH} "Keep or remove your ${PRODUCT_NAME} settings."
LangString UnOptionsSubtitle ${LANG_SPANISH} "Conserve o borre su configuración de ${PRODUCT_NAME}."
LangString UnOptionsInfo ${LANG_ENGLISH} "${PRODUCT_NAME} keeps your choices in the registry, under HKEY_CURRENT_USER\${SETTINGS_KEY}. They are kept unless you tick the box below, so that a later installation starts with them."
LangString UnOptionsInfo ${LANG_SPANISH} "${PRODUCT_NAME} guarda sus opciones en el registro, en HKEY_CURRENT_USER\${SETTINGS_KEY}. Se conservan salvo que marque la casilla de abajo, de modo que una instalación posterior empiece con ellas."
LangString RemoveSettingsText ${LANG_ENGLISH} "&Also remove my ${PRODUCT_NAME} settings"
LangString RemoveSettingsText ${LANG_SPANISH} "&Borrar también mi configuración de ${PRODUCT_NAME}"

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey "CompanyName" "${COMPANY}"
VIAddVersionKey "FileVersion" "${FILE_VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT_NAME} ${PRODUCT_VERSION} setup"
VIAddVersionKey "LegalCopyright" "${LEGAL_COPYRIGHT}"

; Ends every Fenlow started from $INSTDIR the way its tray menu's Exit does, so that its files can
; be replaced or deleted. Copies started from elsewhere (a portable one) are left running.
!macro CLOSE_FENLOW UN
Function ${UN}CloseFenlow
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    StrCpy $4 0
    StrCpy $0 0
    ${Do}
        FindWindow $0 "${MAIN_CLASS}" "" 0 $0
        ${If} $0 == 0
            ${Break}
        ${EndIf}
        System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
        ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
        System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i r1) p .r2'
        ${If} $2 P<> 0
            StrCpy $3 ""
            System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN})'
            ${If} $3 == "$INSTDIR\fenlow.exe"
                DetailPrint "$(Closing)"
                System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${IDM_TRAY_EXIT}, p 0)'
                System::Call 'kernel32::WaitForSingleObject(p r2, i 5000)'
                ; Its window is gone: look again from the first window, at most 20 times.
                StrCpy $0 0
                IntOp $4 $4 + 1
            ${EndIf}
            System::Call 'kernel32::CloseHandle(p r2)'
        ${EndIf}
    ${LoopUntil} $4 >= 20
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_FENLOW ""
!insertmacro CLOSE_FENLOW "un."

Function .onInit
    ; Keep the current choice unless the command line says otherwise.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT_NAME}"
    ${If} $0 != ""
        StrCpy $AutoStart 1
    ${Else}
        StrCpy $AutoStart 0
    ${EndIf}
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/AUTOSTART=" $2
    ${IfNot} ${Errors}
        ${If} $2 == 1
            StrCpy $AutoStart 1
        ${Else}
            StrCpy $AutoStart 0
        ${EndIf}
    ${EndIf}
FunctionEnd

Function OptionsShow
    !insertmacro MUI_HEADER_TEXT "$(OptionsTitle)" "$(OptionsSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateCheckbox} 0 0 100% 12u "$(AutoStartText)"
    Pop $AutoStartBox
    ${If} $AutoStart == 1
        ${NSD_Check} $AutoStartBox
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function OptionsLeave
    ${NSD_GetState} $AutoStartBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $AutoStart 1
    ${Else}
        StrCpy $AutoStart 0
    ${EndIf}
FunctionEnd

Section "-${PRODUCT_NAME}"
    SetShellVarContext current
    Call CloseFenlow
    SetOutPath "$INSTDIR"
    File "/oname=fenlow.exe" "${EXE}"
    File "/oname=LICENSE.txt" "${LICENSE_TXT}"
    File "/oname=OFL.txt" "${OFL_TXT}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "$SMPROGRAMS\${PRODUCT_NAME}.lnk" "$INSTDIR\fenlow.exe" "" "$INSTDIR\fenlow.exe" 0 SW_SHOWNORMAL "" "$(ShortcutDesc)"

    ; The Run value lives outside Fenlow's settings key, which the installer never touches.
    ${If} $AutoStart == 1
        WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT_NAME}" '"$INSTDIR\fenlow.exe"'
    ${Else}
        DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT_NAME}"
    ${EndIf}

    WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
    WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${COMPANY}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\fenlow.exe,0"
    WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegStr HKCU "${UNINST_KEY}" "URLInfoAbout" "${WEBSITE}"
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    StrCpy $RemoveSettings 0
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/REMOVESETTINGS=" $2
    ${IfNot} ${Errors}
    ${AndIf} $2 == 1
        StrCpy $RemoveSettings 1
    ${EndIf}
FunctionEnd

Function un.OptionsShow
    !insertmacro MUI_HEADER_TEXT "$(UnOptionsTitle)" "$(UnOptionsSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateLabel} 0 0 100% 36u "$(UnOptionsInfo)"
    Pop $0
    ${NSD_CreateCheckbox} 0 44u 100% 12u "$(RemoveSettingsText)"
    Pop $RemoveSettingsBox
    ${If} $RemoveSettings == 1
        ${NSD_Check} $RemoveSettingsBox
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function un.OptionsLeave
    ${NSD_GetState} $RemoveSettingsBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $RemoveSettings 1
    ${Else}
        StrCpy $RemoveSettings 0
    ${EndIf}
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    Call un.CloseFenlow

    ; Only what the installer made; a folder the user filled stays.
    Delete "$INSTDIR\fenlow.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\OFL.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT_NAME}"

    ${If} $RemoveSettings == 1
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT}"
    ${EndIf}

    ; Last, so that the entry disappears only once the rest is done.
    DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
