@rem reset-title.bat: gives the user who runs it the machine-wide title as
@rem their own (ietitlebar.exe /reset), with the program of the per-machine
@rem package, and exits with its exit code. A batch file cannot be signed:
@rem where scripts must be, use set-title.ps1 without -Title.
@"%ProgramW6432%\ietitlebar\ietitlebar.exe" /reset
@exit /b %errorlevel%
