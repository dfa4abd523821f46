' Records a voice message through Voxtrel.VoxtrelInst and plays it back, as any script may.
' Under Wine, cscript exits 0 even after a script error, so the outcome goes to a report file
' ("key=value" lines, ending with "end=ok" or "end=failed").
'
'   cscript //nologo record_message.vbs REPORT_FILE SECONDS TITLE
Option Explicit
On Error Resume Next

Dim fso, report, seconds, title, voxtrel, mp3
Set fso = CreateObject("Scripting.FileSystemObject")
Set report = fso.CreateTextFile(WScript.Arguments(0), True)
seconds = CInt(WScript.Arguments(1))
title = WScript.Arguments(2)

Sub Fail(stage)
  report.WriteLine "error=" & stage & ": error " & Err.Number & " (" & Err.Source & ") " & _
                   Err.Description
  report.WriteLine "end=failed"
  report.Close
  WScript.Quit 1
End Sub

' WScript.Sleep where the host has it; Wine's cscript has not, and there a message box that
' closes itself after the time waits instead, running window messages meanwhile.
Sub Pause(wanted)
  On Error Resume Next
  Err.Clear
  WScript.Sleep wanted * 1000
  If Err.Number = 0 Then Exit Sub
  Err.Clear
  CreateObject("WScript.Shell").Popup "Vox Trel: recording or playing", wanted, "Vox Trel", 0
End Sub

Set voxtrel = CreateObject("Voxtrel.VoxtrelInst")
If Err.Number <> 0 Then Fail "creating Voxtrel.VoxtrelInst"
mp3 = voxtrel.fileName
report.WriteLine "mp3=" & mp3

' The first call starts recording, the second stops it and encodes the MP3 with the title.
voxtrel.recordMp3 title
If Err.Number <> 0 Then Fail "starting the recording"
Pause seconds
voxtrel.recordMp3 title
If Err.Number <> 0 Then Fail "finishing the recording"
If Not fso.FileExists(mp3) Then Fail "finding the MP3 at " & mp3
report.WriteLine "recorded=" & fso.GetFile(mp3).Size

voxtrel.playMp3
If Err.Number <> 0 Then Fail "playing the message back"
Pause seconds + 1
report.WriteLine "played=yes"

Set voxtrel = Nothing
report.WriteLine "end=ok"
report.Close
