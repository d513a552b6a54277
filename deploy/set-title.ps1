# set-title.ps1: stores -Title as the browser title of the user who runs
# it, or, without -Title, the machine-wide title (ietitlebar.exe /reset),
# with the program of the per-machine package, and exits with the
# program's exit code. The title is a parameter, so that the signed script
# is used as it is.
param([string] $Title)
# The 64-bit Program Files, from a 32-bit PowerShell too.
$tool = Join-Path $env:ProgramW6432 'ietitlebar\ietitlebar.exe'
if ($PSBoundParameters.ContainsKey('Title')) {
    # One argument, as the program reads its command line: each quote, and
    # the backslashes before it or at the end, escaped.
    $escaped = ($Title -replace '(\\*)"', '$1$1\"') -replace '(\\+)$', '$1$1'
    $arguments = "/set `"$escaped`""
} else {
    $arguments = '/reset'
}
$run = Start-Process $tool -ArgumentList $arguments -Wait -PassThru
exit $run.ExitCode
