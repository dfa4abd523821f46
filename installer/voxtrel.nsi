; VoxTrel-Setup.exe: installs Vox Trel for the current user, no administrator needed.
; Built by scripts/build-installer.sh:
;   makensis -DX64_DIR=... -DX86_DIR=... -DR_WAV=... -DOUTFILE=... installer/voxtrel.nsi
; X64_DIR and X86_DIR hold the stripped voxtrel.dll and Wav2Mp3.exe of each release build.
; SIGN_COMMAND (when signing): a command that signs the file named after it in place.
; Silent with /S (installer and uninstaller). Exit codes: 0 done, 2 nothing changed (in use,
; or registration failed on a first install), 3 registration failed over an earlier install.

Unicode true
; A 64-bit installer: it runs the 64-bit regsvr32 itself and the 32-bit one from SysWOW64.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include FileFunc.nsh

!ifndef VERSION
  !define VERSION "1.2.0.0"
!endif
!define PRODUCT "Vox Trel"
!define PUBLISHER "Vox Trel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vox Trel"
!define SETTINGS_KEY "Software\Microsoft\Office\Outlook\Addins\Voxtrel.MailWindow"
!define UNINSTALLER "Uninstall.exe"
!define IN_USE_MESSAGE "Vox Trel is in use: close Microsoft Outlook and every program that uses Vox Trel, then run this again. Nothing was changed."

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!ifdef SIGN_COMMAND
  ; The uninstaller is written out at install time from what makensis packs: it is signed
  ; here, as makensis makes it, so that the one written out carries the signature.
  !uninstfinalize `${SIGN_COMMAND} "%1"` = 0
!endif
InstallDir "$LOCALAPPDATA\Programs\Vox Trel"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Bitness ; "x64" or "x86": the DLL that matches Outlook

; Shows a message, also on the console it was started from (silent runs have no other).
!macro Tell TEXT
  Push "${TEXT}"
  !ifdef __UNINSTALL__
    Call un.WriteConsole
  !else
    Call WriteConsole
  !endif
  MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
!macroend

!macro WriteConsoleFunction PREFIX
  Function ${PREFIX}WriteConsole
    Exch $0
    Push $1
    Push $2
    System::Call 'kernel32::GetStdHandle(i -11) p .r1'
    ${If} $1 P= 0
      System::Call 'kernel32::AttachConsole(i -1)'
      System::Call 'kernel32::GetStdHandle(i -11) p .r1'
    ${EndIf}
    ${If} $1 P<> 0
    ${AndIf} $1 P<> -1
      StrCpy $0 "$0$\r$\n"
      StrLen $2 $0
      System::Call 'kernel32::WriteFile(p r1, m r0, i r2, *i, p 0)'
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
  FunctionEnd
!macroend
!insertmacro WriteConsoleFunction ""
!insertmacro WriteConsoleFunction "un."

; Opening for writing fails for a loaded DLL and a running program: Outlook (or a script)
; still holds Vox Trel.
!macro OpenForWriting FILE
  ${If} ${FileExists} "$INSTDIR\${FILE}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${FILE}" a
    ${IfNot} ${Errors}
      FileClose $0
    ${Else}
      StrCpy $1 "in use"
    ${EndIf}
  ${EndIf}
!macroend

!macro InUseFunction PREFIX
  ; Leaves "in use" on the stack when Vox Trel's files are held, else "".
  Function ${PREFIX}InUse
    Push $0
    Push $1
    StrCpy $1 ""
    !insertmacro OpenForWriting voxtrel.dll
    !insertmacro OpenForWriting Wav2Mp3.exe
    StrCpy $0 $1
    Pop $1
    Exch $0
  FunctionEnd
!macroend
!insertmacro InUseFunction ""
!insertmacro InUseFunction "un."

; The regsvr32 of the DLL's bitness; the 32-bit one registers in the 32-bit registry view.
!macro RegServer PREFIX
  ; In: the bitness and the arguments on the stack (bitness on top). Out: the exit code.
  Function ${PREFIX}RegServer
    Exch $0 ; bitness
    Exch
    Exch $1 ; arguments
    ${If} $0 == "x86"
      StrCpy $0 "$WINDIR\SysWOW64\regsvr32.exe"
    ${Else}
      StrCpy $0 "$SYSDIR\regsvr32.exe"
    ${EndIf}
    ClearErrors
    ExecWait '"$0" /s $1' $0
    ${If} ${Errors}
      StrCpy $0 "-1"
    ${EndIf}
    Pop $1
    Exch $0
  FunctionEnd
!macroend
!insertmacro RegServer ""
!insertmacro RegServer "un."

; Outlook's bitness as Office records it: Click-to-Run's "Platform", then the "Bitness" of
; Outlook 2010 and later (MSI); Outlook 2007 and earlier exist only as 32-bit programs.
; 64-bit when no Outlook is found.
!macro OutlookBitness VERSION VIEW
  ${If} $Bitness == ""
    SetRegView ${VIEW}
    ReadRegStr $0 HKLM "Software\Microsoft\Office\${VERSION}\Outlook" "Bitness"
    ${If} $0 == "x86"
    ${OrIf} $0 == "x64"
      StrCpy $Bitness $0
    ${EndIf}
  ${EndIf}
!macroend

!macro LegacyOutlook VERSION
  ${If} $Bitness == ""
    SetRegView 32
    ReadRegStr $0 HKLM "Software\Microsoft\Office\${VERSION}\Outlook\InstallRoot" "Path"
    ${If} $0 != ""
      StrCpy $Bitness "x86"
    ${EndIf}
  ${EndIf}
!macroend

Function DetectOutlookBitness
  Push $0
  StrCpy $Bitness ""
  SetRegView 64
  ReadRegStr $0 HKLM "Software\Microsoft\Office\ClickToRun\Configuration" "Platform"
  ${If} $0 == "x86"
  ${OrIf} $0 == "x64"
    StrCpy $Bitness $0
  ${EndIf}
  !insertmacro OutlookBitness 16.0 64
  !insertmacro OutlookBitness 16.0 32
  !insertmacro OutlookBitness 15.0 64
  !insertmacro OutlookBitness 15.0 32
  !insertmacro OutlookBitness 14.0 64
  !insertmacro OutlookBitness 14.0 32
  !insertmacro LegacyOutlook 12.0
  !insertmacro LegacyOutlook 11.0
  !insertmacro LegacyOutlook 10.0
  !insertmacro LegacyOutlook 9.0
  ${If} $Bitness == ""
    StrCpy $Bitness "x64"
  ${EndIf}
  SetRegView 64
  Pop $0
FunctionEnd

; "AQ" (audio quality) is expected before the first recording; a user's own value stays.
Function SetQualityWhenMissing
  Push $0
  Push $1
  StrCpy $1 0
  ${Do}
    EnumRegValue $0 HKCU "${SETTINGS_KEY}" $1
    ${If} $0 == "AQ"
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${LoopUntil} $0 == ""
  ${If} $0 == ""
    WriteRegStr HKCU "${SETTINGS_KEY}" "AQ" "1"
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

!macro InstallFiles DIR
  File "/oname=voxtrel.dll" "${DIR}/voxtrel.dll"
  File "/oname=Wav2Mp3.exe" "${DIR}/Wav2Mp3.exe"
!macroend

Function WriteUninstallEntry
  Push $0
  Push $1
  Push $2
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Bitness" "$Bitness"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; What a failed first install leaves: nothing.
Function RemoveFreshInstall
  Delete "$INSTDIR\voxtrel.dll"
  Delete "$INSTDIR\Wav2Mp3.exe"
  Delete "$INSTDIR\R.wav"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; A folder that is the current one cannot go.
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
FunctionEnd

Section "Vox Trel"
  SetShellVarContext current
  ; Nothing is touched while Outlook holds the DLL: no half install.
  Call InUse
  Pop $0
  ${If} $0 != ""
    !insertmacro Tell "${IN_USE_MESSAGE}"
    SetErrorLevel 2
    Quit
  ${EndIf}

  Call DetectOutlookBitness
  DetailPrint "Outlook: $Bitness (voxtrel.dll for $Bitness)"

  ; An earlier install of the other bitness registered in the other registry view.
  StrCpy $R0 ""
  ${If} ${FileExists} "$INSTDIR\voxtrel.dll"
    StrCpy $R0 "upgrade"
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "Bitness"
    ${If} $1 != ""
    ${AndIf} $1 != $Bitness
      Push '"$INSTDIR\voxtrel.dll" /u'
      Push $1
      Call RegServer
      Pop $0
      DetailPrint "Earlier $1 registration removed (regsvr32 exit code $0)"
    ${EndIf}
  ${EndIf}

  SetOutPath "$INSTDIR"
  SetOverwrite on
  AllowSkipFiles off
  ${If} $Bitness == "x86"
    !insertmacro InstallFiles "${X86_DIR}"
  ${Else}
    !insertmacro InstallFiles "${X64_DIR}"
  ${EndIf}
  File "/oname=R.wav" "${R_WAV}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  Push '"$INSTDIR\voxtrel.dll"'
  Push $Bitness
  Call RegServer
  Pop $0
  ${If} $0 != 0
    ${If} $R0 == ""
      Call RemoveFreshInstall
      !insertmacro Tell "Vox Trel could not be registered (regsvr32 exit code $0). Nothing was installed."
      SetErrorLevel 2
    ${Else}
      Call WriteUninstallEntry
      !insertmacro Tell "Vox Trel could not be registered (regsvr32 exit code $0). Run the setup again or uninstall it."
      SetErrorLevel 3
    ${EndIf}
    Quit
  ${EndIf}

  Call SetQualityWhenMissing
  Call WriteUninstallEntry
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.InUse
  Pop $0
  ${If} $0 != ""
    !insertmacro Tell "${IN_USE_MESSAGE}"
    SetErrorLevel 2
    Quit
  ${EndIf}

  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "Bitness"
  ${If} $1 == ""
    StrCpy $1 "x64"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\voxtrel.dll"
    Push '"$INSTDIR\voxtrel.dll" /u'
    Push $1
    Call un.RegServer
    Pop $0
    DetailPrint "Unregistered (regsvr32 exit code $0)"
  ${EndIf}

  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Parents that held only our entries.
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Office\Outlook\Addins"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Office\Outlook"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Office"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"

  ; The add-in's own files: its log and the last message it recorded.
  Delete "$INSTDIR\voxtrel.dll"
  Delete "$INSTDIR\Wav2Mp3.exe"
  Delete "$INSTDIR\R.wav"
  Delete "$INSTDIR\Debug.log"
  Delete "$INSTDIR\Voxtrel.mp3"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
SectionEnd
