// A JScript client of Corvell.Sievan, bound late by name as script hosts
// bind. Run with cscript //nologo; with the argument "unregistered" it only
// checks that the class can no longer be created.
// cscript ends a script that stops on an error with exit code 0, so every
// step traps its own errors: one PASS or FAIL line per check, "DONE" at the
// end, and the exit code is the number of failures.
var failures = 0;

function report(ok, what, detail) {
    if (ok) {
        WScript.Echo("PASS: jscript: " + what);
    } else {
        WScript.Echo("FAIL: jscript: " + what + ": " + detail);
        failures++;
    }
}

function describeError(e) {
    return "error 0x" + (e.number >>> 0).toString(16).toUpperCase() + " (" + e.description + ")";
}

// Runs `step` and compares its result by value and type.
function expect(what, step, wanted) {
    try {
        var got = step();
        report(got === wanted, what, "got " + typeof got + " \"" + got + "\", expected " +
               typeof wanted + " \"" + wanted + "\"");
    } catch (e) {
        report(false, what, describeError(e));
    }
}

// The number of the error `step` raises; 0 when it raises none.
function errorOf(step) {
    try {
        step();
        return {number: 0, description: ""};
    } catch (e) {
        return {number: e.number >>> 0, description: e.description};
    }
}

function newSievan() {
    return new ActiveXObject("Corvell.Sievan");
}

function checkUnregistered() {
    var error = errorOf(newSievan);
    report(error.number === 0x800A01AD, "new ActiveXObject fails once unregistered",
           "error 0x" + error.number.toString(16) + " (" + error.description + ")");
}

function checkDefaults() {
    var control = null;
    var error = errorOf(function () { control = newSievan(); });
    report(error.number === 0, "new ActiveXObject(\"Corvell.Sievan\")", error.description);
    if (control === null) return;
    expect("new instance Filter", function () { return control.Filter; }, "0");
    expect("new instance Address", function () { return control.Address; }, "0");
    expect("new instance Count", function () { return control.Count; }, "0");
    expect("new instance Duplicates", function () { return control.Duplicates; }, "0");
    expect("new instance Filtered", function () { return control.Filtered; }, "0");
    expect("new instance Done", function () { return control.Done; }, false);
}

// Address before, Address after, Count, Duplicates: each on a new instance.
var workedResults = [
    ["contact: abc@b.c", "abc@b.c", "1", "0"],
    ["mailto:abc@b.c.", "abc@b.c", "1", "0"],
    ["(abc@b.c)!", "abc@b.c", "1", "0"],
    ["a@b.c, d@e.f", "d@e.f", "1", "0"],
    ["a@b.c d@e", "", "1", "1"],
    ["abc@b.c;", "abc@b.c", "1", "0"],
    ["abc@b.c;x", "abc@b.c;x", "1", "0"],
    ["abc..def@b.c", ".def@b.c", "1", "0"],
    ["abc@b..c", "", "1", "1"],
    ["a@b.c@", "a@b.c", "1", "0"],
    ["@b.c", "", "1", "1"],
    ["@a@b.c", "", "1", "1"],
    ["a@b.c-", "a@b.c", "1", "0"],
    ["a@b.c?s=1", "a@b.c?s", "1", "0"],
    ["abc@@b.c", "abc@@b.c", "1", "0"],
    ["a.b@c", "", "0", "0"]
];

function checkWorkedResults() {
    for (var i = 0; i < workedResults.length; i++) {
        var row = workedResults[i];
        var control = newSievan();
        var error = errorOf(function () { control.Address = row[0]; control.Extract(); });
        report(error.number === 0, "Extract \"" + row[0] + "\"", error.description);
        expect("Extract \"" + row[0] + "\" gives Address", function () { return control.Address; },
               row[1]);
        expect("Extract \"" + row[0] + "\" gives Count", function () { return control.Count; },
               row[2]);
        expect("Extract \"" + row[0] + "\" gives Duplicates",
               function () { return control.Duplicates; }, row[3]);
    }
}

function checkDoneReset() {
    var control = newSievan();
    control.Address = "a@b.c";
    control.Extract();
    control.Address = "a@b.c";
    control.Extract();
    expect("a repeat counts as a duplicate", function () { return control.Duplicates; }, "1");
    control.Filter = "x";
    control.Filtered = "5";
    control.Done = true;
    expect("Done reads back true", function () { return control.Done; }, true);
    control.Address = "a@b.c";
    control.Extract();
    expect("Done reset clears Done", function () { return control.Done; }, false);
    expect("Done reset restarts Count", function () { return control.Count; }, "1");
    expect("Done reset forgets the seen addresses", function () { return control.Duplicates; },
           "0");
    expect("Done reset zeroes Filtered", function () { return control.Filtered; }, "0");
    expect("Done reset zeroes Filter", function () { return control.Filter; }, "0");
}

// Filter, Address before, Filtered before, Address after, Filtered after.
var cleanCases = [
    ["0", "a0@b.c", "0", "", "1"],
    ["0", "a@b.c", "0", "a@b.c", "0"],
    ["", "", "3", "", "4"],
    ["ABC", "abc@b.c", "0", "abc@b.c", "0"],
    ["#", "a1@b.c", "0", "", "1"],
    ["a?c", "xabcx", "0", "", "1"],
    ["b", "a@b.c", "9", "", "10"]
];

function checkClean() {
    for (var i = 0; i < cleanCases.length; i++) {
        var row = cleanCases[i];
        var control = newSievan();
        control.Filter = row[0];
        control.Address = row[1];
        control.Filtered = row[2];
        var error = errorOf(function () { control.Clean(); });
        var what = "Clean \"" + row[1] + "\" with Filter \"" + row[0] + "\"";
        report(error.number === 0, what, error.description);
        expect(what + " gives Address", function () { return control.Address; }, row[3]);
        expect(what + " gives Filtered", function () { return control.Filtered; }, row[4]);
    }
}

function checkCleanErrors() {
    var control = newSievan();
    control.Filter = "a[b";
    control.Address = "a[b@c.d";
    var error = errorOf(function () { control.Clean(); });
    report(error.number === 0x800A005D && error.description === "Invalid pattern string",
           "invalid Filter pattern raises error 0x800A005D",
           "error 0x" + error.number.toString(16) + " (" + error.description + ")");
    expect("invalid pattern leaves Address", function () { return control.Address; }, "a[b@c.d");
    expect("invalid pattern leaves Filtered", function () { return control.Filtered; }, "0");
}

try {
    if (WScript.Arguments.length > 0) {
        checkUnregistered();
    } else {
        checkDefaults();
        checkWorkedResults();
        checkDoneReset();
        checkClean();
        checkCleanErrors();
    }
} catch (e) {
    report(false, "the client ran to its end", describeError(e));
}
WScript.Echo("DONE: jscript");
WScript.Quit(failures);
