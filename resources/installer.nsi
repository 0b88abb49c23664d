; Windows installer of Corvalin Timer Software, built on Linux by the build's `installer` target.
; Installs the program, its default alarm sound and its hand cursor into one folder under Program
; Files, adds a Start-menu shortcut and an uninstaller. Uninstalling removes those, the program's
; start-up entries and its Add/Remove Programs entry, and keeps the user's settings
; (HKCU\Software\VB and VBA Program Settings\Vendrel\Corvalin Timer Software).
;
; makensis is given: PROGRAM_EXE, ALARM_WAV, HAND_CUR, APP_ICON (source files) and OUTFILE.

Unicode true
SetCompressor /SOLID lzma
; Without this, every File stores its source's modification time, which is when the build or the
; checkout wrote it: two builds of one commit would differ. Installed files take the install time.
SetDateSave off
RequestExecutionLevel admin

!define PRODUCT "Corvalin Timer Software"
!define EXE "${PRODUCT}.exe"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
Icon "${APP_ICON}"
UninstallIcon "${APP_ICON}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
    ; The start-up entry the program writes is machine-wide, so the shortcut is for all users too.
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "/oname=${EXE}" "${PROGRAM_EXE}"
    File "/oname=alarm.wav" "${ALARM_WAV}"
    File "/oname=HAND-M.CUR" "${HAND_CUR}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "7.00"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vendrel"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$INSTDIR\${EXE}"
    Delete "$INSTDIR\alarm.wav"
    Delete "$INSTDIR\HAND-M.CUR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    ; The program names its start-up entry after the first .exe its folder lists. That is its own
    ; file wherever names come back sorted, but the uninstaller lives in the same folder, so an
    ; entry named after it that points into this folder is the program's too.
    DeleteRegValue HKLM "${RUN_KEY}" "${EXE}"
    DeleteRegValue HKCU "${RUN_KEY}" "${EXE}"
    ReadRegStr $0 HKLM "${RUN_KEY}" "Uninstall.exe"
    StrCmp $0 "$INSTDIR\Uninstall.exe" 0 +2
        DeleteRegValue HKLM "${RUN_KEY}" "Uninstall.exe"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only when empty: anything the user put there stays.
    RMDir "$INSTDIR"
SectionEnd
