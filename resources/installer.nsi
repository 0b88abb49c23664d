; Windows installer of Corvalin Timer Software, built on Linux by the build's `installer` target.
; Installs the program, its default alarm sound and its hand cursor into one folder under Program
; Files, adds a Start-menu shortcut and an uninstaller. Uninstalling removes those, the program's
; start-up entries and its Add/Remove Programs entry, and keeps the user's settings
; (HKCU\Software\VB and VBA Program Settings\Vendrel\Corvalin Timer Software).
;
; makensis is given: PROGRAM_EXE, ALARM_WAV, HAND_CUR, APP_ICON (source files) and OUTFILE.

Unicode true
!include "WinMessages.nsh"
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

; A running copy holds its exe open: the installer could not replace it, nor the uninstaller delete it.
; It is asked to close with a WM_CLOSE whose lParam carries the program's mark for this close
; ("INST", Form1::kCloseForSetup), which never stops to ask the user anything. The wait is bounded
; (5 s for the close, 10 s for the process to end): a copy still running then makes the installer's
; File ask to retry, and leaves the uninstaller's Delete of the exe undone.
!define CLOSE_FOR_SETUP 0x494E5354
!macro CloseRunningCopy
    FindWindow $0 "CorvalinForm1"
    StrCmp $0 0 no_copy_running
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION \
        "${PRODUCT} is running. It will be closed first, and a countdown it runs ends." /SD IDOK IDOK close_copy
    Abort
close_copy:
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2"  ; SYNCHRONIZE
    SendMessage $0 ${WM_CLOSE} 0 ${CLOSE_FOR_SETUP} /TIMEOUT=5000
    System::Call "kernel32::WaitForSingleObject(p r2, i 10000)"
    System::Call "kernel32::CloseHandle(p r2)"
no_copy_running:
!macroend

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
    ; Installed for every user under Program Files, so the shortcut is for all users too. The program's
    ; start-up entry is the user's own; only a copy run as administrator writes a machine-wide one.
    SetShellVarContext all
    !insertmacro CloseRunningCopy
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
    !insertmacro CloseRunningCopy
    Delete "$INSTDIR\${EXE}"
    Delete "$INSTDIR\alarm.wav"
    Delete "$INSTDIR\HAND-M.CUR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    ; The entry may be in the user's Run key, or machine-wide in either registry view: the program
    ; counts each of them as starting it. Older versions named their entry after the first .exe their
    ; folder listed, which may be the uninstaller: such an entry pointing into this folder goes too.
    DeleteRegValue HKLM "${RUN_KEY}" "${EXE}"
    DeleteRegValue HKCU "${RUN_KEY}" "${EXE}"
    SetRegView 64
    DeleteRegValue HKLM "${RUN_KEY}" "${EXE}"
    SetRegView 32
    ReadRegStr $0 HKLM "${RUN_KEY}" "Uninstall.exe"
    StrCmp $0 "$INSTDIR\Uninstall.exe" 0 +2
        DeleteRegValue HKLM "${RUN_KEY}" "Uninstall.exe"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only when empty: anything the user put there stays.
    RMDir "$INSTDIR"
SectionEnd
