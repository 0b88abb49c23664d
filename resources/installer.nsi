; Windows installer of Corvalin Timer Software, built on Linux by the build's `installer` target.
; Installs the program, its default alarm sound and its hand cursor into one folder, for all users
; (under Program Files, with administrator rights) or just for the user who runs it (under
; %LOCALAPPDATA%\Programs, without), adds a Start-menu shortcut, an Add/Remove Programs entry and an
; uninstaller. Uninstalling removes those, the program's start-up entries and the records of its
; timers, and keeps the user's other settings (HKCU\Software\VB and VBA Program Settings\Vendrel\
; Corvalin Timer Software).
;
; Silent: /S installs for all users (asking for administrator rights when it lacks them), /S /AllUsers
; the same, /S /CurrentUser just for the user who runs it.
;
; makensis is given: PROGRAM_EXE, ALARM_WAV, HAND_CUR, APP_ICON (source files) and OUTFILE; and
; SIGN_SCRIPT when the uninstaller and the installer are to be signed as they are written.

Unicode true
!include "WinMessages.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "nsDialogs.nsh"
!include "WinCore.nsh"
!include "x64.nsh"
SetCompressor /SOLID lzma
; Without this, every File stores its source's modification time, which is when the build or the
; checkout wrote it: two builds of one commit would differ. Installed files take the install time.
SetDateSave off
; "Just for me" needs no rights at all; "for all users" runs this installer again with administrator
; rights, and Windows asks for them only then.
RequestExecutionLevel user

; !uninstfinalize, below, came with NSIS 3.08.
!define NSIS_TOO_OLD "The installer needs NSIS 3.08 or later (makensis -VERSION says which one is there)."
!ifndef NSIS_PACKEDVERSION
    !error "${NSIS_TOO_OLD}"
!else if ${NSIS_PACKEDVERSION} < 0x03008000
    !error "${NSIS_TOO_OLD}"
!endif

!ifdef SIGN_SCRIPT
    ; The signing script takes its key from the environment, which makensis hands on.
    !uninstfinalize 'bash "${SIGN_SCRIPT}" file "%1"' = 0
    !finalize 'bash "${SIGN_SCRIPT}" file "%1"' = 0
!endif

!define PRODUCT "Corvalin Timer Software"
!define VERSION "7.00"
!define PUBLISHER "Vendrel"
!define EXE "${PRODUCT}.exe"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved"
!define SETTINGS_KEY "Software\VB and VBA Program Settings\Vendrel\${PRODUCT}"
; The same name under HKLM and HKCU, from release to release: package managers find upgrades by it
; (winget's manifests, written by scripts/sign.sh from these definitions, give it as the product code).
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${APP_ICON}"
UninstallIcon "${APP_ICON}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Var Scope        ; "all" or "user" once chosen, on the command line or on the first page
Var CustomDir    ; 1 when /D= named the folder
Var ClosedCopy   ; 1 once a running copy was closed, so that it is started again at the end
Var AllUsersButton
Var JustMeButton

; The long form of the path in VAR, which stays as it is when the path cannot be found. Uses $6 to $8.
!macro LongPath VAR
    StrCpy $6 ${VAR}
    System::Call "kernel32::GetLongPathNameW(w r6, w .r7, i ${NSIS_MAX_STRLEN}) i .r8"
    ${If} $8 <> 0
    ${AndIf} $8 < ${NSIS_MAX_STRLEN}
        StrCpy ${VAR} $7
    ${EndIf}
!macroend

; Runs this installer (or uninstaller) again with administrator rights, waits for it and ends with its
; exit code. $0: its parameters, which gain /Elevated. Returns only when Windows did not start it (the
; user said No). Where Windows starts it without the rights (UAC turned off), that one says so and ends.
!macro SharedFunctions UN
Function ${UN}RunElevated
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/Elevated" $1
    ${IfNot} ${Errors}
        MessageBox MB_OK|MB_ICONSTOP \
            "Installing or removing ${PRODUCT} for all users needs administrator rights." /SD IDOK
        SetErrorLevel 5  ; ERROR_ACCESS_DENIED
        Quit
    ${EndIf}
    StrCpy $0 "/Elevated $0"
    ; SHELLEXECUTEINFOW (60 bytes on 32-bit Windows), SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC
    System::Call '*(i 60, i 0x140, p $HWNDPARENT, w "runas", w "$EXEPATH", w r0, p 0, i ${SW_SHOWNORMAL}, \
        p 0, p 0, p 0, p 0, i 0, p 0, p 0) p .r1'
    System::Call 'shell32::ShellExecuteExW(p r1) i .r2'
    System::Call '*$1(i, i, p, p, p, p, p, i, p, p, p, p, i, p, p .r3)'
    System::Free $1
    ${If} $2 = 0
        Return
    ${EndIf}
    HideWindow
    System::Call 'kernel32::WaitForSingleObject(p r3, i -1)'
    System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r4)'
    System::Call 'kernel32::CloseHandle(p r3)'
    SetErrorLevel $4
    Quit
FunctionEnd

Function ${UN}IsAdmin  ; pushes 1 when this process has administrator rights (elevated), else 0
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        Push 1
    ${Else}
        Push 0
    ${EndIf}
FunctionEnd

; A running copy holds its exe open: the installer could not replace it, nor the uninstaller delete it.
; It is asked to close with a WM_CLOSE whose lParam carries the program's mark for this close
; ("INST", Form1::kCloseForSetup), which never stops to ask the user anything. The wait is bounded
; (5 s for the close, 10 s for the process to end): a copy still running then makes the installer's
; File ask to retry, and leaves the uninstaller's Delete of the exe undone. A copy started from another
; folder (the other scope's install, a portable copy) holds nothing here and keeps running. Cancel
; ends the installer before it changed anything.
Function ${UN}CloseRunningCopy
    FindWindow $0 "CorvalinForm1"
    ${If} $0 = 0
        Return
    ${EndIf}
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call "kernel32::OpenProcess(i 0x00101000, i 0, i r1) p .r2"
    ${If} $2 = 0
        Return
    ${EndIf}
    ; A copy whose path cannot be read is not taken for this folder's. Both paths in their long form
    ; (either may have come in 8.3 form: /D=C:\PROGRA~1\..., a short command line), compared as
    ; Windows compares file names: ordinal, letter case aside.
    System::Call "kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN}) i .r4"
    ${If} $4 <> 0
        StrCpy $5 "$INSTDIR\${EXE}"
        !insertmacro LongPath $3
        !insertmacro LongPath $5
        ; CSTR_EQUAL is 2.
        System::Call "kernel32::CompareStringOrdinal(w r3, i -1, w r5, i -1, i 1) i .r4"
    ${EndIf}
    ${If} $4 <> 2
        System::Call "kernel32::CloseHandle(p r2)"
        Return
    ${EndIf}
    !if "${UN}" == ""
        MessageBox MB_OKCANCEL|MB_ICONINFORMATION \
            "${PRODUCT} is running. It will be closed first, and started again when the installation is done." \
            /SD IDOK IDOK ${UN}close_copy
    !else
        MessageBox MB_OKCANCEL|MB_ICONINFORMATION \
            "${PRODUCT} is running. It will be closed first, and a countdown it runs ends." \
            /SD IDOK IDOK ${UN}close_copy
    !endif
    System::Call "kernel32::CloseHandle(p r2)"
    Quit
${UN}close_copy:
    SendMessage $0 ${WM_CLOSE} 0 ${CLOSE_FOR_SETUP} /TIMEOUT=5000
    System::Call "kernel32::WaitForSingleObject(p r2, i 10000)"
    System::Call "kernel32::CloseHandle(p r2)"
    StrCpy $ClosedCopy 1
FunctionEnd
!macroend
!define CLOSE_FOR_SETUP 0x494E5354
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

; The scope's folder (unless /D= named one), shortcuts and registry root (SHCTX). For all users
; without administrator rights, the installer runs again with them; should the user refuse them,
; $0 is "refused".
Function ApplyScope
    StrCpy $0 ""
    ${If} $Scope == "all"
        SetShellVarContext all
        ${IfThen} $CustomDir != 1 ${|} StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}" ${|}
        Call IsAdmin
        Pop $1
        ${If} $1 = 0
            StrCpy $0 "/AllUsers"
            ${IfThen} ${Silent} ${|} StrCpy $0 "$0 /S" ${|}
            ${IfThen} $CustomDir = 1 ${|} StrCpy $0 "$0 /D=$INSTDIR" ${|}
            Call RunElevated
            StrCpy $0 "refused"
        ${EndIf}
    ${Else}
        SetShellVarContext current
        ${If} $CustomDir != 1
            GetKnownFolderPath $INSTDIR ${FOLDERID_UserProgramFiles}
            ${IfThen} $INSTDIR == "" ${|} StrCpy $INSTDIR "$LOCALAPPDATA\Programs" ${|}
            StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
        ${EndIf}
    ${EndIf}
FunctionEnd

Function .onInit
    ; /D= has set the folder before this runs.
    ${IfThen} $INSTDIR != "" ${|} StrCpy $CustomDir 1 ${|}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/CurrentUser" $R1
    ${IfNotThen} ${Errors} ${|} StrCpy $Scope "user" ${|}
    ClearErrors
    ${GetOptions} $R0 "/AllUsers" $R1
    ${IfNotThen} ${Errors} ${|} StrCpy $Scope "all" ${|}
    ${If} $Scope == ""
    ${AndIf} ${Silent}
        StrCpy $Scope "all"
    ${EndIf}
    ${If} $Scope != ""
        Call ApplyScope
        ${If} $0 == "refused"
            SetErrorLevel 5  ; ERROR_ACCESS_DENIED
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

; The first page asks for whom to install, unless the command line said it. An install for this user
; alone that is there already is offered again.
Function ScopePage
    ${IfThen} $Scope != "" ${|} Abort ${|}
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 20u "Install ${PRODUCT}:"
    Pop $0
    ${NSD_CreateFirstRadioButton} 10u 24u -10u 14u "For &all users (asks for administrator rights)"
    Pop $AllUsersButton
    ${NSD_CreateAdditionalRadioButton} 10u 42u -10u 14u "Just for &me (no administrator rights needed)"
    Pop $JustMeButton
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        ${NSD_Check} $JustMeButton
    ${Else}
        ${NSD_Check} $AllUsersButton
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function ScopePageLeave
    ${NSD_GetState} $JustMeButton $0
    ${If} $0 = ${BST_CHECKED}
        StrCpy $Scope "user"
    ${Else}
        StrCpy $Scope "all"
    ${EndIf}
    Call ApplyScope
    ${If} $0 == "refused"
        StrCpy $Scope ""
        Abort
    ${EndIf}
FunctionEnd

; Started again as the user who ran the installer: explorer starts a program at the shell's own level,
; so an elevated installer does not hand its rights on.
Function .onInstSuccess
    ${If} $ClosedCopy = 1
        Call IsAdmin
        Pop $0
        ${If} $0 = 1
            Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE}"'
        ${Else}
            Exec '"$INSTDIR\${EXE}"'
        ${EndIf}
    ${EndIf}
FunctionEnd

Page custom ScopePage ScopePageLeave
Page directory
Page instfiles CloseRunningCopy
UninstPage uninstConfirm
UninstPage instfiles un.CloseRunningCopy

Section "Install"
    ; The program's start-up entry is the user's own; only a copy run as administrator writes a
    ; machine-wide one.
    ${IfThen} ${Silent} ${|} Call CloseRunningCopy ${|}
    SetOutPath "$INSTDIR"
    File "/oname=${EXE}" "${PROGRAM_EXE}"
    File "/oname=alarm.wav" "${ALARM_WAV}"
    File "/oname=HAND-M.CUR" "${HAND_CUR}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

    ; Under HKLM for all users, under HKCU just for this one.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The install's scope: the user's own when the user's Add/Remove entry names this folder. For all
; users without administrator rights, the uninstaller runs again with them.
Function un.onInit
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        SetShellVarContext current
    ${Else}
        SetShellVarContext all
        Call un.IsAdmin
        Pop $1
        ${If} $1 = 0
            StrCpy $0 "_?=$INSTDIR"
            ${IfThen} ${Silent} ${|} StrCpy $0 "/S $0" ${|}
            Call un.RunElevated
            SetErrorLevel 5  ; ERROR_ACCESS_DENIED
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

; A start-up entry in VIEW of ROOT that starts the program of this folder, as the program writes it
; (quoted) or not, and what Task Manager keeps of it being turned on or off: the value of the same name
; under StartupApproved\APPROVED, always in the 64-bit view ("Run32" for the 32-bit view's machine-wide
; Run key on 64-bit Windows, "Run" otherwise). That value stays while its Run value starts another
; copy (the other install's), which the user may have turned off.
!macro RemoveRunEntry ROOT VIEW APPROVED
    !insertmacro RegView ${VIEW}
    ReadRegStr $0 ${ROOT} "${RUN_KEY}" "${EXE}"
    ${If} $0 == '"$INSTDIR\${EXE}"'
    ${OrIf} $0 == "$INSTDIR\${EXE}"
        DeleteRegValue ${ROOT} "${RUN_KEY}" "${EXE}"
        StrCpy $0 ""
    ${EndIf}
    !insertmacro RegView 64
    ${IfThen} $0 == "" ${|} DeleteRegValue ${ROOT} "${APPROVED_KEY}\${APPROVED}" "${EXE}" ${|}
    SetRegView 32
!macroend
; The 64-bit view only on 64-bit Windows: elsewhere there is one view, and Wine's 32-bit prefixes
; refuse the flag that names it.
!macro RegView VIEW
    SetRegView 32
    !if ${VIEW} == 64
        ${IfThen} ${RunningX64} ${|} SetRegView 64 ${|}
    !endif
!macroend

Section "Uninstall"
    ${IfThen} ${Silent} ${|} Call un.CloseRunningCopy ${|}
    Delete "$INSTDIR\${EXE}"
    Delete "$INSTDIR\alarm.wav"
    Delete "$INSTDIR\HAND-M.CUR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    ; The entry may be in the user's Run key, or machine-wide in either registry view: the program
    ; counts each of them as starting it. Only this folder's goes: the other scope's install, or a
    ; portable copy, may have its own under the same name. Older versions named their entry after the
    ; first .exe their folder listed, which may be the uninstaller: such an entry pointing into this
    ; folder goes too.
    ; On 32-bit Windows both machine-wide lines reach one Run key, whose approvals are under "Run".
    !insertmacro RemoveRunEntry HKCU 32 Run
    !insertmacro RemoveRunEntry HKLM 32 Run32
    !insertmacro RemoveRunEntry HKLM 64 Run
    ReadRegStr $0 HKLM "${RUN_KEY}" "Uninstall.exe"
    StrCmp $0 "$INSTDIR\Uninstall.exe" 0 +2
        DeleteRegValue HKLM "${RUN_KEY}" "Uninstall.exe"

    ; The countdowns end with the program (the user was told so): their records would bring them
    ; back at the next start of any copy. The other settings stay.
    DeleteRegKey HKCU "${SETTINGS_KEY}\Timers"

    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only when empty: anything the user put there stays.
    RMDir "$INSTDIR"
SectionEnd
