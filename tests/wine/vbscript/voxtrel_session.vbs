' A script session with Voxtrel.VoxtrelInst as cscript runs it. cscript under Wine exits 0 even
' after a script error, so every check goes to the result file, whose last line tells the end.
'
'   cscript //nologo voxtrel_session.vbs RESULT_FILE MP3_PATH
Option Explicit
On Error Resume Next

' VBScript shows an automation error 0x800A0000 + N (here 0x800A03F4) as Err.Number N.
Const kNoFileToPlay = 1012
Const kTitle = "Vox Trel VBScript session"

Dim fso, results, failures
Set fso = CreateObject("Scripting.FileSystemObject")
Set results = fso.CreateTextFile(WScript.Arguments(0), True)
failures = 0

Sub Check(name, passed, detail)
  If passed Then
    results.WriteLine "PASS " & name
  Else
    results.WriteLine "FAIL " & name & ": " & detail
    failures = failures + 1
  End If
End Sub

Function ErrText()
  ErrText = "Err " & Hex(Err.Number) & " " & Err.Source & ": " & Err.Description
End Function

' WScript.Sleep where the host has it; Wine's cscript has not, and there a message box that
' closes itself after the time waits instead, running window messages meanwhile.
Sub Pause(seconds)
  On Error Resume Next
  Err.Clear
  WScript.Sleep seconds * 1000
  If Err.Number = 0 Then Exit Sub
  Err.Clear
  CreateObject("WScript.Shell").Popup "Vox Trel test: waiting", seconds, "Vox Trel", 0
End Sub

Sub Finish()
  results.WriteLine "VOXTREL-VBS-END " & failures
  results.Close
  WScript.Quit failures
End Sub

Dim voxtrel, mp3, tag, missing
mp3 = WScript.Arguments(1)

Set voxtrel = CreateObject("Voxtrel.VoxtrelInst")
Check "CreateObject", Err.Number = 0 And IsObject(voxtrel), ErrText()
If Err.Number <> 0 Then Finish

voxtrel.fileName = mp3
Check "fileName round trip", voxtrel.fileName = mp3 And Err.Number = 0, voxtrel.fileName & " " & ErrText()

If fso.FileExists(mp3) Then fso.DeleteFile mp3
Err.Clear
voxtrel.recordMp3
Check "recordMp3 starts with the default tag", Err.Number = 0, ErrText()
Pause 4
tag = kTitle
Err.Clear
voxtrel.recordMp3 tag
Check "recordMp3 stops and encodes", Err.Number = 0, ErrText()
Check "the MP3 exists", fso.FileExists(mp3), mp3
' How much the capture device delivered in the 4 s is the machine's: a figure only.
If fso.FileExists(mp3) Then results.WriteLine "MP3 of a 4 s recording: " & fso.GetFile(mp3).Size & " bytes"

missing = fso.BuildPath(fso.GetParentFolderName(mp3), "no such message.mp3")
voxtrel.fileName = missing
Err.Clear
voxtrel.playMp3
Check "playMp3 without a file: Err.Number", Err.Number = kNoFileToPlay, ErrText()
Check "playMp3 without a file: Err.Source", Err.Source = "VoxtrelInst.playMP3", ErrText()
Check "playMp3 without a file: Err.Description", _
      Err.Description = "There is no file to play back.", ErrText()
Err.Clear

Set voxtrel = Nothing
Check "release", Err.Number = 0, ErrText()
Finish
