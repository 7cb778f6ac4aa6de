#!/bin/sh
# The DLLs a Windows program imports must all be the system's own, so that it runs on a bare
# Windows without MinGW's runtime next to it. The one list of them: the tests and the release
# both check with this script. Nor may it import by name a function that Windows 7 lacks: the
# system refuses to start a program with an import it cannot find, so the program looks those
# up when it runs.
#   sh imports_test.sh OBJDUMP PROGRAM
set -eu
objdump=$1
program=$2
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$imports" ] || { echo "FAIL: no imports read from $program"; exit 1; }
status=0
for dll in $imports; do
    case $(echo "$dll" | tr '[:upper:]' '[:lower:]') in
        kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | comdlg32.dll | advapi32.dll | \
        shell32.dll | ole32.dll | oleaut32.dll | oleacc.dll | msimg32.dll | msvcrt.dll | \
        uxtheme.dll | windowscodecs.dll | shlwapi.dll | version.dll | ws2_32.dll | api-ms-win-*)
            echo "system: $dll" ;;
        *)
            echo "FAIL: $program imports $dll, which is not a system DLL"
            status=1 ;;
    esac
done
# User32's functions of Windows 8.1 and 10 for screens of several resolutions.
late=$("$objdump" -p "$program" | grep -owE 'GetDpiForWindow|GetDpiForSystem|AdjustWindowRectExForDpi|SetThreadDpiAwarenessContext|SetProcessDpiAwarenessContext|EnableNonClientDpiScaling|GetSystemMetricsForDpi|SystemParametersInfoForDpi|GetDpiForMonitor|SetProcessDpiAwareness' || true)
for name in $late; do
    echo "FAIL: $program imports $name, which Windows 7 lacks: look it up with GetProcAddress"
    status=1
done
exit $status
