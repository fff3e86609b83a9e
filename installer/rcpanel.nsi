; setup.exe of the Veltra Quillmark K40 Series remote control panel, in
; Brazilian Portuguese. installer/build.sh compiles it with makensis:
;
;   makensis -INPUTCHARSET UTF8 -DDIST64=<win64 dist> -DDIST32=<win32 dist>
;            -DGUIDE=<guia.html> -DICON=<app.ico> -DVERSION=<1.01> -DOUTFILE=<setup.exe>
;            installer/rcpanel.nsi
;
; It installs the program that matches the system's bitness and the guide into
; the fixed program folder, makes the Start-menu group, and registers the
; product in the list of installed programs. The uninstaller deletes exactly
; what was installed, leaves the group to rcpclean.dll, which removes it only
; when it is empty, and removes the folder only when it is empty, so a file
; the user keeps in the folder keeps the folder. /S works for both.
;
; The installer runs with administrator rights, so it starts nothing when it
; is done: whatever it started would run with them too.

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!ifndef DIST64 | DIST32 | GUIDE | ICON | VERSION | OUTFILE
  !error "DIST64, DIST32, GUIDE, ICON, VERSION and OUTFILE must be given with -D"
!endif

; The product's name is also the folder and the group that rcpclean.dll removes.
!define PRODUCT "Veltra Quillmark K40 Series"
!define PUBLISHER "Veltra"
!define PROGRAM "rcpanel.exe"
; The administrators' command-line tool, beside the panel.
!define CONSOLE_PROGRAM "rcpctl.exe"
; The web panel, an optional component.
!define WEB_PROGRAM "rcpweb.exe"
!define WEB_LINK "Painel no navegador.url"
!define WEB_STARTUP_LINK "Painel no navegador (servidor).lnk"
!define GUIDE_FILE "guia.html"
; Called by the uninstaller, which is a 32-bit program on every Windows.
!define CLEANUP_LIBRARY "rcpclean.dll"
!define UNINSTALLER "desinstalar.exe"
!define PROGRAM_LINK "Remote Control Panel.lnk"
!define GUIDE_LINK "Guia do usuário.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

; The file version of setup.exe is the program's own.
!getdllversion "${DIST64}\${PROGRAM}" PROGRAM_VERSION_

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails hide
ShowUninstDetails hide

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Este assistente instalará o Remote Control Panel da $(^NameDA), versão ${VERSION}, e o guia do usuário.$\r$\n$\r$\nO painel controla a máquina pela porta USB ou pela porta paralela e usa os componentes do pacote de drivers da máquina: instale-o antes de usar o painel.$\r$\n$\r$\nFeche o Remote Control Panel, se estiver aberto, e clique em Próximo para continuar."
!define MUI_FINISHPAGE_TEXT "O Remote Control Panel e o guia do usuário estão no menu Iniciar, no grupo $(^NameDA).$\r$\n$\r$\nClique em Concluir para fechar este assistente."

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "PortugueseBR"

VIProductVersion "${PROGRAM_VERSION_1}.${PROGRAM_VERSION_2}.${PROGRAM_VERSION_3}.${PROGRAM_VERSION_4}"
VIFileVersion "${PROGRAM_VERSION_1}.${PROGRAM_VERSION_2}.${PROGRAM_VERSION_3}.${PROGRAM_VERSION_4}"
VIAddVersionKey /LANG=${LANG_PORTUGUESEBR} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_PORTUGUESEBR} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_PORTUGUESEBR} "FileDescription" "Instalação do Remote Control Panel"
VIAddVersionKey /LANG=${LANG_PORTUGUESEBR} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_PORTUGUESEBR} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_PORTUGUESEBR} "LegalCopyright" "Copyright © 2026 Veltra. Todos os direitos reservados."

; 64-bit Windows gets the 64-bit program in its own Program Files; the group
; and the registration go to all users when an administrator installs.
Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
  ${EndIf}
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Remote Control Panel" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "/oname=${PROGRAM}" "${DIST64}\${PROGRAM}"
    File "/oname=${CONSOLE_PROGRAM}" "${DIST64}\${CONSOLE_PROGRAM}"
  ${Else}
    File "/oname=${PROGRAM}" "${DIST32}\${PROGRAM}"
    File "/oname=${CONSOLE_PROGRAM}" "${DIST32}\${CONSOLE_PROGRAM}"
  ${EndIf}
  File "/oname=${GUIDE_FILE}" "${GUIDE}"
  ; The uninstaller loads it from here, where only administrators can write.
  File "/oname=${CLEANUP_LIBRARY}" "${DIST32}\${CLEANUP_LIBRARY}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; Shortcuts start in the program folder (the output path).
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PROGRAM_LINK}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${GUIDE_LINK}" "$INSTDIR\${GUIDE_FILE}"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "VersionMajor" ${PROGRAM_VERSION_1}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "VersionMinor" ${PROGRAM_VERSION_2}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ; The list shows the size in KB of what lies in the folder.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Off unless chosen: the server starts with the user's session, for this PC
; only (no --lan), and the Start menu opens its page.
Section /o "Painel no navegador" SecWeb
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "/oname=${WEB_PROGRAM}" "${DIST64}\${WEB_PROGRAM}"
  ${Else}
    File "/oname=${WEB_PROGRAM}" "${DIST32}\${WEB_PROGRAM}"
  ${EndIf}
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  WriteINIStr "$SMPROGRAMS\${PRODUCT}\${WEB_LINK}" "InternetShortcut" "URL" "http://127.0.0.1:8640/"
  SetShellVarContext current
  CreateShortcut "$SMSTARTUP\${WEB_STARTUP_LINK}" "$INSTDIR\${WEB_PROGRAM}" "" "$INSTDIR\${WEB_PROGRAM}" 0 SW_SHOWMINIMIZED
SectionEnd

; The registration tells where the product was installed for: all users when
; it lies under HKLM.
Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ${If} ${Errors}
    SetShellVarContext current
  ${Else}
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Delete "$INSTDIR\${PROGRAM}"
  Delete "$INSTDIR\${CONSOLE_PROGRAM}"
  Delete "$INSTDIR\${GUIDE_FILE}"
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "$SMPROGRAMS\${PRODUCT}\${PROGRAM_LINK}"
  Delete "$SMPROGRAMS\${PRODUCT}\${GUIDE_LINK}"
  Delete "$INSTDIR\${WEB_PROGRAM}"
  Delete "$SMPROGRAMS\${PRODUCT}\${WEB_LINK}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"

  ; The group goes through rcpclean.dll, which removes it only when it is
  ; empty. It is loaded from the program folder: a copy in the user's
  ; temporary folder could be replaced by any program of the user before the
  ; elevated uninstaller loads it. A folder that is the current directory
  ; cannot be removed, so the program folder must not be it.
  SetOutPath "$TEMP"
  System::Call 'kernel32::LoadLibraryW(w "$INSTDIR\${CLEANUP_LIBRARY}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::GetProcAddress(p r0, m "UninstInitialize") p .r1'
    System::Call 'kernel32::GetProcAddress(p r0, m "UninstUnInitialize") p .r2'
    ; Both: WINAPI, three 32-bit arguments the library ignores, a 32-bit result.
    ${If} $1 P<> 0
      System::Call '::$1(i 0, i 0, i 0) i .r3'
    ${EndIf}
    ${If} $2 P<> 0
      System::Call '::$2(i 0, i 0, i 0) i .r3'
    ${EndIf}
    System::Call 'kernel32::FreeLibrary(p r0)'
  ${EndIf}
  ; The library held the folder until now; without /r only an empty folder goes.
  Delete "$INSTDIR\${CLEANUP_LIBRARY}"
  RMDir "$INSTDIR"
  ; The web panel's start-up entry is the user's own.
  SetShellVarContext current
  Delete "$SMSTARTUP\${WEB_STARTUP_LINK}"
SectionEnd
