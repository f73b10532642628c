@echo off
rem Registers Brindle for the current user, no administrator needed: the 32-bit DLL for the
rem VB6 IDE and 32-bit Office's VBA editor, the 64-bit DLL for 64-bit Office's VBA editor.
rem install.cmd /allusers, from a Command Prompt run as administrator, registers the classes and
rem the VB6 IDE's add-in list for all users instead, for an IDE that runs as administrator.
rem uninstall.cmd (with the same option) takes both registrations away again.
setlocal
set "here=%~dp0"
call :scope %*
if errorlevel 1 exit /b 1
call :regsvr32s
"%regsvr32_32%" /s /n /i:%scope% "%here%x86\VBBrindle.dll"
if errorlevel 1 goto failed
if not defined regsvr32_64 goto done
"%regsvr32_64%" /s /n /i:%scope% "%here%x64\VBBrindle.dll"
if errorlevel 1 goto failed

:done
if "%scope%"=="machine" (
    echo Brindle is installed for all users: restart the VB6 IDE and Office to load it.
) else (
    echo Brindle is installed for %USERNAME%: restart the VB6 IDE and Office to load it.
)
exit /b 0

:failed
echo Brindle could not be registered; nothing of it is left registered. 1>&2
call "%here%uninstall.cmd" %* >nul 2>&1
exit /b 1

rem user, or machine for /allusers, which only an elevated Command Prompt may do: it must
rem write the machine's classes, which the reg command tries on our own key, leaving it as it was.
:scope
set "scope=user"
if "%~1"=="" exit /b 0
if /i not "%~1"=="/allusers" (
    echo Unknown option %1: install.cmd takes /allusers or nothing. 1>&2
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
echo /allusers needs administrator rights: run install.cmd /allusers from a Command Prompt 1>&2
echo opened with "Run as administrator". Nothing was changed. 1>&2
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
