@echo off
rem sign_tool.cmd ACTION FILE: tests\sign_tool.sh for Windows programs under Wine.
rem Wine starts a Unix program without waiting for it, so this waits for the file
rem the script leaves with its exit status.
set "done=%~2.kf-done"
if exist "%done%" del "%done%"
"%~dp0kfsign-unix.exe" %1 %2
:wait
if not exist "%done%" goto wait
set /p status=<"%done%"
del "%done%"
exit /b %status%
