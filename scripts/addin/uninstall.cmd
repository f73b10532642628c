@echo off
rem Takes away what install.cmd registered for the current user, for both bitnesses.
setlocal
set "here=%~dp0"
set "status=0"
call :regsvr32s
"%regsvr32_32%" /s /u /n /i:user "%here%x86\VBBrindle.dll"
if errorlevel 1 set "status=1"
if not defined regsvr32_64 goto done
"%regsvr32_64%" /s /u /n /i:user "%here%x64\VBBrindle.dll"
if errorlevel 1 set "status=1"

:done
if "%status%"=="0" (
    echo Brindle is uninstalled for %USERNAME%.
) else (
    echo Brindle could not be unregistered completely. 1>&2
)
exit /b %status%

rem The regsvr32 of each bitness, as install.cmd finds them.
:regsvr32s
set "regsvr32_32=%SystemRoot%\System32\regsvr32.exe"
set "regsvr32_64="
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" (
    set "regsvr32_32=%SystemRoot%\SysWOW64\regsvr32.exe"
    set "regsvr32_64=%SystemRoot%\System32\regsvr32.exe"
    if exist "%SystemRoot%\Sysnative\regsvr32.exe" set "regsvr32_64=%SystemRoot%\Sysnative\regsvr32.exe"
)
exit /b 0
