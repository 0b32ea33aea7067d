' A VBScript client of Corvell.Sievan, bound late by name as script hosts
' bind. Run with cscript //nologo; with the argument "unregistered" it only
' checks that the class can no longer be created.
' cscript ends a script that stops on an error with exit code 0, so every
' procedure traps its own errors (in VBScript an untrapped error skips the
' rest of the procedure): one PASS or FAIL line per check, "DONE" at the
' end, and the exit code is the number of failures.
Option Explicit
On Error Resume Next

Dim failures
failures = 0

Sub Report(ok, what, detail)
    If ok Then
        WScript.Echo "PASS: vbscript: " & what
    Else
        WScript.Echo "FAIL: vbscript: " & what & ": " & detail
        failures = failures + 1
    End If
End Sub

' Compares value and type; an error still pending from the caller's last step
' fails the check. (The helpers trap nothing themselves: On Error Resume Next
' would clear that error.)
Sub Expect(what, got, wanted)
    Dim problem
    If Err.Number <> 0 Then
        problem = "error " & Err.Number & " (" & Err.Description & ")"
        Err.Clear
    ElseIf VarType(got) <> VarType(wanted) Then
        problem = "got " & TypeName(got) & " """ & got & """, expected " & TypeName(wanted) & _
                  " """ & wanted & """"
    ElseIf got <> wanted Then
        problem = "got """ & got & """, expected """ & wanted & """"
    End If
    Report problem = "", what, problem
End Sub

Function NewSievan()
    Set NewSievan = CreateObject("Corvell.Sievan")
End Function

Sub CheckUnregistered()
    On Error Resume Next
    Dim control
    Err.Clear
    Set control = CreateObject("Corvell.Sievan")
    Report Err.Number = 429, "CreateObject fails once unregistered", _
           "error " & Err.Number & " (" & Err.Description & ")"
    Err.Clear
End Sub

Sub CheckDefaults()
    On Error Resume Next
    Dim control
    Err.Clear
    Set control = NewSievan()
    Report Err.Number = 0, "CreateObject(""Corvell.Sievan"")", "error " & Err.Number
    Err.Clear
    Expect "new instance Filter", control.Filter, "0"
    Expect "new instance Address", control.Address, "0"
    Expect "new instance Count", control.Count, "0"
    Expect "new instance Duplicates", control.Duplicates, "0"
    Expect "new instance Filtered", control.Filtered, "0"
    Expect "new instance Done", control.Done, False
End Sub

' Address before, Address after, Count, Duplicates: each on a new instance.
Sub CheckWorkedResults()
    On Error Resume Next
    Dim rows, row, control
    rows = Array( _
        Array("contact: abc@b.c", "abc@b.c", "1", "0"), _
        Array("mailto:abc@b.c.", "abc@b.c", "1", "0"), _
        Array("(abc@b.c)!", "abc@b.c", "1", "0"), _
        Array("a@b.c, d@e.f", "d@e.f", "1", "0"), _
        Array("a@b.c d@e", "", "1", "1"), _
        Array("abc@b.c;", "abc@b.c", "1", "0"), _
        Array("abc@b.c;x", "abc@b.c;x", "1", "0"), _
        Array("abc..def@b.c", ".def@b.c", "1", "0"), _
        Array("abc@b..c", "", "1", "1"), _
        Array("a@b.c@", "a@b.c", "1", "0"), _
        Array("@b.c", "", "1", "1"), _
        Array("@a@b.c", "", "1", "1"), _
        Array("a@b.c-", "a@b.c", "1", "0"), _
        Array("a@b.c?s=1", "a@b.c?s", "1", "0"), _
        Array("abc@@b.c", "abc@@b.c", "1", "0"), _
        Array("a.b@c", "", "0", "0"))
    For Each row In rows
        Set control = NewSievan()
        control.Address = row(0)
        control.Extract
        Expect "Extract """ & row(0) & """ gives Address", control.Address, row(1)
        Expect "Extract """ & row(0) & """ gives Count", control.Count, row(2)
        Expect "Extract """ & row(0) & """ gives Duplicates", control.Duplicates, row(3)
    Next
End Sub

Sub CheckDoneReset()
    On Error Resume Next
    Dim control
    Set control = NewSievan()
    control.Address = "a@b.c"
    control.Extract
    control.Address = "a@b.c"
    control.Extract
    Expect "a repeat counts as a duplicate", control.Duplicates, "1"
    control.Filter = "x"
    control.Filtered = "5"
    control.Done = True
    Expect "Done reads back true", control.Done, True
    control.Address = "a@b.c"
    control.Extract
    Expect "Done reset clears Done", control.Done, False
    Expect "Done reset restarts Count", control.Count, "1"
    Expect "Done reset forgets the seen addresses", control.Duplicates, "0"
    Expect "Done reset zeroes Filtered", control.Filtered, "0"
    Expect "Done reset zeroes Filter", control.Filter, "0"
    Expect "Done reset still extracts", control.Address, "a@b.c"
End Sub

' Filter, Address before, Filtered before, Address after, Filtered after.
Sub CheckClean()
    On Error Resume Next
    Dim rows, row, control
    rows = Array( _
        Array("0", "a0@b.c", "0", "", "1"), _
        Array("0", "a@b.c", "0", "a@b.c", "0"), _
        Array("", "", "3", "", "4"), _
        Array("ABC", "abc@b.c", "0", "abc@b.c", "0"), _
        Array("#", "a1@b.c", "0", "", "1"), _
        Array("a?c", "xabcx", "0", "", "1"), _
        Array("b", "a@b.c", "9", "", "10"))
    For Each row In rows
        Set control = NewSievan()
        control.Filter = row(0)
        control.Address = row(1)
        control.Filtered = row(2)
        control.Clean
        Expect "Clean """ & row(1) & """ with Filter """ & row(0) & """ gives Address", _
               control.Address, row(3)
        Expect "Clean """ & row(1) & """ with Filter """ & row(0) & """ gives Filtered", _
               control.Filtered, row(4)
    Next
End Sub

Sub CheckCleanErrors()
    On Error Resume Next
    Dim control, number, description
    Set control = NewSievan()
    control.Filter = "a[b"
    control.Address = "a[b@c.d"
    Err.Clear
    control.Clean
    number = Err.Number
    description = Err.Description
    Err.Clear
    ' VBScript reports a control-facility error (&H800A005D) by its runtime
    ' error number.
    Report number = 93 And description = "Invalid pattern string", _
           "invalid Filter pattern is script error 93", "error " & number & " (" & description & ")"
    Expect "invalid pattern leaves Address", control.Address, "a[b@c.d"
    Expect "invalid pattern leaves Filtered", control.Filtered, "0"

    Set control = NewSievan()
    control.Address = "a0@b.c"
    control.Filtered = "many"
    Err.Clear
    control.Clean
    number = Err.Number
    Err.Clear
    Report number = 13, "Clean with a Filtered that is no number is a type mismatch", _
           "error " & number
    Expect "type mismatch after Address was emptied", control.Address, ""
    Expect "type mismatch keeps Filtered", control.Filtered, "many"
End Sub

' TypeName reads the control's type information: the name of its automation
' interface (which a host may show without the leading underscore), never the
' bare "Object" of a control without type information.
Sub CheckTypeName()
    On Error Resume Next
    Dim control, name
    Err.Clear
    Set control = NewSievan()
    name = TypeName(control)
    Report Err.Number = 0 And (name = "Sievan" Or name = "_Sievan"), _
           "TypeName names the control's type", "got """ & name & """"
    Err.Clear
End Sub

If WScript.Arguments.Count > 0 Then
    CheckUnregistered
Else
    CheckDefaults
    CheckWorkedResults
    CheckDoneReset
    CheckClean
    CheckCleanErrors
    CheckTypeName
End If
WScript.Echo "DONE: vbscript"
WScript.Quit failures
