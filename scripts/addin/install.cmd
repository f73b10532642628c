@echo off
rem Registers Brindle for the current user, no administrator needed: the 32-bit DLL for the
rem VB6 IDE and 32-bit Office's VBA editor, the 64-bit DLL for 64-bit Office's VBA editor.
rem uninstall.cmd takes both registrations away again.
setlocal
set "here=%~dp0"
call :regsvr32s
"%regsvr32_32%" /s /n /i:user "%here%x86\VBBrindle.dll"
if errorlevel 1 goto failed
if not defined regsvr32_64 goto done
"%regsvr32_64%" /s /n /i:user "%here%x64\VBBrindle.dll"
if errorlevel 1 goto failed

:done
echo Brindle is installed for %USERNAME%: restart the VB6 IDE and Office to load it.
exit /b 0

:failed
echo Brindle could not be registered; nothing of it is left registered. 1>&2
call "%here%uninstall.cmd" >nul 2>&1
exit /b 1

rem The regsvr32 of each bitness: on 64-bit Windows the 32-bit one is in SysWOW64, and a
rem 32-bit console sees the 64-bit one only through Sysnative.
:regsvr32s
set "regsvr32_32=%SystemRoot%\System32\regsvr32.exe"
set "regsvr32_64="
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" (
    set "regsvr32_32=%SystemRoot%\SysWOW64\regsvr32.exe"
    set "regsvr32_64=%SystemRoot%\System32\regsvr32.exe"
    if exist "%SystemRoot%\Sysnative\regsvr32.exe" set "regsvr32_64=%SystemRoot%\Sysnative\regsvr32.exe"
)
exit /b 0
