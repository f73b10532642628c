@echo off
rem Takes away what install.cmd registered for the current user, for both bitnesses;
rem uninstall.cmd /allusers, run as administrator, what install.cmd /allusers registered.
setlocal
set "here=%~dp0"
set "status=0"
call :scope %*
if errorlevel 1 exit /b 1
call :regsvr32s
"%regsvr32_32%" /s /u /n /i:%scope% "%here%x86\VBBrindle.dll"
if errorlevel 1 set "status=1"
if not defined regsvr32_64 goto done
"%regsvr32_64%" /s /u /n /i:%scope% "%here%x64\VBBrindle.dll"
if errorlevel 1 set "status=1"

:done
if not "%status%"=="0" (
    echo Brindle could not be unregistered completely. 1>&2
) else if "%scope%"=="machine" (
    echo Brindle is uninstalled for all users.
) else (
    echo Brindle is uninstalled for %USERNAME%.
)
exit /b %status%

rem user, or machine for /allusers, as install.cmd tells them apart.
:scope
set "scope=user"
if "%~1"=="" exit /b 0
if /i not "%~1"=="/allusers" (
    echo Unknown option %1: uninstall.cmd takes /allusers or nothing. 1>&2
    exit /b 1
)
set "scope=machine"
set "key=HKLM\Software\Classes\VBBrindle.Brindle"
set "existed=1"
reg query "%key%" >nul 2>&1
if errorlevel 1 set "existed="
reg add "%key%" /f >nul 2>&1
if errorlevel 1 goto refused
if not defined existed reg delete "%key%" /f >nul 2>&1
exit /b 0
:refused
echo /allusers needs administrator rights: run uninstall.cmd /allusers from a Command Prompt 1>&2
echo opened with "Run as administrator". Nothing was changed. 1>&2
exit /b 1

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
