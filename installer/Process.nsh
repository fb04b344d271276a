; Starting programs through the System plug-in, where NSIS's own Exec and ExecWait
; fall short: a wait with a limit, a wait for the launchers of the install folder,
; and a start outside the installer's elevation.
!if ${ARCH} == x64
    !define SI_SIZE 104 ; STARTUPINFOW
    !define SIEX_SIZE 112 ; STARTUPINFOEXW: STARTUPINFOW, then the attribute list
    !define PI_SIZE 24 ; PROCESS_INFORMATION
    !define PTR_SIZE 8
!else
    !define SI_SIZE 68
    !define SIEX_SIZE 72
    !define PI_SIZE 16
    !define PTR_SIZE 4
!endif
!define EXTENDED_STARTUPINFO_PRESENT 0x80000
!define PROC_THREAD_ATTRIBUTE_PARENT_PROCESS 0x20000
!define PROCESS_CREATE_PROCESS 0x80

; Push the command line, then the limit in ms, and call: starts the program and waits
; until it ends or the limit passes (a program still running is left alone).
!macro DEFINE_RUN_BOUNDED UN
Function ${UN}RunBounded
    Exch $1
    Exch
    Exch $0
    Push $2
    Push $3
    Push $4
    System::Alloc ${SI_SIZE}
    Pop $2
    System::Call "*$2(i ${SI_SIZE})"
    System::Alloc ${PI_SIZE}
    Pop $3
    System::Call "kernel32::CreateProcessW(p 0, w r0, p 0, p 0, i 0, i 0, p 0, p 0, p r2, p r3) i .r4"
    ${If} $4 != 0
        System::Call "*$3(p .r4, p .r0)"
        System::Call "kernel32::WaitForSingleObject(p r4, i r1)"
        System::Call "kernel32::CloseHandle(p r4)"
        System::Call "kernel32::CloseHandle(p r0)"
    ${EndIf}
    System::Free $2
    System::Free $3
    Pop $4
    Pop $3
    Pop $2
    Pop $0
    Pop $1
FunctionEnd
!macroend

; Waits until no program runs from the installed launcher's file: Windows refuses to
; open a running program for writing. After the limit a launcher still running is
; moved aside (a running program may be renamed) and removed at the next restart.
Function WaitForLaunchers
    Push $0
    Push $1
    StrCpy $1 0
    ${Do}
        ClearErrors
        FileOpen $0 "$INSTDIR\${LAUNCHER_EXE}" a
        ${IfNot} ${Errors}
            FileClose $0
            ${Break}
        ${EndIf}
        IntOp $1 $1 + 250
        ${If} $1 >= ${BOUND_MS}
            Delete "$INSTDIR\${LAUNCHER_EXE}.old"
            Rename "$INSTDIR\${LAUNCHER_EXE}" "$INSTDIR\${LAUNCHER_EXE}.old"
            Delete /REBOOTOK "$INSTDIR\${LAUNCHER_EXE}.old"
            ${Break}
        ${EndIf}
        Sleep 250
    ${Loop}
    Pop $1
    Pop $0
FunctionEnd

; Starts the installed launcher for the player. The installer runs elevated; the
; launcher is made a child of the shell's process, so it gets the player's own
; rights. Without a shell process to borrow (none, or one the installer may not
; open) it is started as the installer's own child.
Function StartLauncher
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    StrCpy $5 0
    System::Call "user32::GetShellWindow() p .r0"
    System::Call "user32::GetWindowThreadProcessId(p r0, *i 0 r1)"
    ${If} $0 != 0
    ${AndIf} $1 != 0
        System::Call "kernel32::OpenProcess(i ${PROCESS_CREATE_PROCESS}, i 0, i r1) p .r2"
        ${If} $2 != 0
            System::Call "kernel32::InitializeProcThreadAttributeList(p 0, i 1, i 0, *p 0 r3)"
            System::Alloc $3
            Pop $4
            System::Call "kernel32::InitializeProcThreadAttributeList(p r4, i 1, i 0, *p r3) i .r0"
            ${If} $0 != 0
                Call StartFromShell
                System::Call "kernel32::DeleteProcThreadAttributeList(p r4)"
            ${EndIf}
            System::Free $4
            System::Call "kernel32::CloseHandle(p r2)"
        ${EndIf}
    ${EndIf}
    ${If} $5 == 0
        Exec '"$INSTDIR\${LAUNCHER_EXE}"'
    ${EndIf}
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; StartLauncher's second half: $2 the shell's process, $4 an initialised attribute
; list. Sets $5 to non-zero when the launcher was started.
Function StartFromShell
    Push $R0
    Push $R1
    System::Call "*(p r2) p .r1" ; the attribute's value: a cell holding the handle
    System::Call "kernel32::UpdateProcThreadAttribute(p r4, i 0, p ${PROC_THREAD_ATTRIBUTE_PARENT_PROCESS}, p r1, p ${PTR_SIZE}, p 0, p 0) i .r0"
    ${If} $0 != 0
        System::Alloc ${SIEX_SIZE}
        Pop $3
        System::Call "*$3(i ${SIEX_SIZE})"
        IntPtrOp $0 $3 + ${SI_SIZE}
        System::Call "*$0(p r4)"
        System::Alloc ${PI_SIZE}
        Pop $0
        System::Call 'kernel32::CreateProcessW(p 0, w `"$INSTDIR\${LAUNCHER_EXE}"`, p 0, p 0, i 0, i ${EXTENDED_STARTUPINFO_PRESENT}, p 0, w "$INSTDIR", p r3, p r0) i .r5'
        ${If} $5 != 0
            System::Call "*$0(p .R0, p .R1)"
            System::Call "kernel32::CloseHandle(p R0)"
            System::Call "kernel32::CloseHandle(p R1)"
        ${EndIf}
        System::Free $0
        System::Free $3
    ${EndIf}
    System::Free $1
    Pop $R1
    Pop $R0
FunctionEnd
