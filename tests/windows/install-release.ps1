# The release's MSIs under Windows' own Windows Installer, on a throwaway
# machine of the hosting's CI: each installed, run (/set, /get, and the
# per-machine program by the administrator's kit's set-title.ps1),
# upgraded, refused as a downgrade and removed, with a verbose log of every
# msiexec run in LogDir. Stops at the first broken promise.
#
#   install-release.ps1 -Dist DIR -Upgrade DIR -Kit DIR -LogDir DIR
param(
    [Parameter(Mandatory)] [string] $Dist,
    [Parameter(Mandatory)] [string] $Upgrade,
    [Parameter(Mandatory)] [string] $Kit,
    [Parameter(Mandatory)] [string] $LogDir
)
$ErrorActionPreference = 'Stop'
[Console]::OutputEncoding = [Text.Encoding]::UTF8
New-Item -ItemType Directory -Force $LogDir | Out-Null

$caption = 'Reset Microsoft Internet Explorer Titlebar'
$title = 'Workflow title'

# Another installation in progress (1618: a runner's own updates, say)
# is waited out, a few times, and said in the log. The exit code is all
# the function writes to the pipeline, its result: messages go to the host.
function Invoke-Msiexec([string] $Action, [string] $Package, [string] $Log) {
    $arguments = "$Action `"$Package`" /qn /l*v `"$(Join-Path $LogDir $Log)`""
    for ($try = 1; ; $try++) {
        $run = Start-Process msiexec.exe -ArgumentList $arguments -Wait -PassThru
        if ($run.ExitCode -ne 1618 -or $try -ge 5) { return $run.ExitCode }
        Write-Host "msiexec $Action ${Package}: another installation is in progress (1618); try $($try + 1) of 5 in 30 s"
        Start-Sleep -Seconds 30
    }
}

function Assert([bool] $Condition, [string] $What) {
    if (-not $Condition) { throw $What }
    Write-Output "ok: $What"
}

# The installed products of one package, as Windows Installer lists them
# for Apps & features, in every context: per user and per machine.
function Get-Entries([string] $DisplayName) {
    $installer = New-Object -ComObject WindowsInstaller.Installer
    foreach ($product in $installer.ProductsEx('', '', 7)) {
        # Another product's broken registration is no concern of this one.
        try {
            $name = $product.InstallProperty('ProductName')
        } catch {
            continue
        }
        if ($name -eq $DisplayName) {
            [PSCustomObject]@{
                DisplayVersion = $product.InstallProperty('VersionString')
                # 0 when installed per user, 1 per machine.
                AssignmentType = $product.InstallProperty('AssignmentType')
            }
        }
    }
}

$scopes = @(
    @{ Name = 'per user'; Suffix = ''; DisplayName = 'ietitlebar'; AssignmentType = '0'
       Folder = Join-Path $env:LOCALAPPDATA 'Programs\ietitlebar'
       Menu = [Environment]::GetFolderPath('Programs'); Shortcut = $caption },
    @{ Name = 'per machine'; Suffix = '-machine'; DisplayName = 'ietitlebar (all users)'; AssignmentType = '1'
       Folder = Join-Path $env:ProgramFiles 'ietitlebar'
       Menu = [Environment]::GetFolderPath('CommonPrograms'); Shortcut = "$caption (all users)" }
)

# The account's own title, which /set below changes: put back at the end,
# pass or fail, with its type, and read back.
$titleKey = 'HKCU:\Software\Microsoft\Internet Explorer\Main'
function Get-Title {
    if (-not (Test-Path $titleKey)) { return $null }
    $key = Get-Item $titleKey
    if ($key.GetValueNames() -notcontains 'Window Title') { return $null }
    [PSCustomObject]@{
        Kind = $key.GetValueKind('Window Title')
        Value = $key.GetValue('Window Title', $null, 'DoNotExpandEnvironmentNames')
    }
}
$savedTitle = Get-Title

try {
    foreach ($scope in $scopes) {
        $name = $scope.Name
        $package = Get-Item (Join-Path $Dist "ietitlebar-*-x64$($scope.Suffix).msi")
        $newer = Get-Item (Join-Path $Upgrade "ietitlebar-*-x64$($scope.Suffix).msi")
        $program = Join-Path $scope.Folder 'ietitlebar.exe'
        $shortcut = Join-Path $scope.Menu "$($scope.Shortcut).lnk"
        Write-Output "== $name`: $($package.Name), then $($newer.Name)"

        $code = Invoke-Msiexec '/i' $package.FullName "$($scope.Suffix)install.log"
        Assert ($code -eq 0) "$name install exits 0 (got $code)"
        Assert (Test-Path $program) "$name program in $($scope.Folder)"
        Assert (Test-Path (Join-Path $scope.Folder 'THIRD-PARTY-NOTICES.txt')) "$name notices beside it"
        Assert (Test-Path $shortcut) "$name Start menu entry at $shortcut"
        $entries = @(Get-Entries $scope.DisplayName)
        Assert ($entries.Count -eq 1 -and "$($entries[0].AssignmentType)" -eq $scope.AssignmentType) `
            "$name one Apps & features entry, installed $name"

        $set = Start-Process $program -ArgumentList "/set `"$title`"" -Wait -PassThru
        Assert ($set.ExitCode -eq 0) "$name /set exits 0 (got $($set.ExitCode))"
        # Capturing the output makes PowerShell wait for the window program.
        $got = (& $program /get | Out-String).TrimEnd("`r", "`n")
        Assert ($LASTEXITCODE -eq 0 -and $got -eq $title) "$name /get prints the title (got '$got')"
        if ($scope.AssignmentType -eq '1') {
            # The kit's script finds the per-machine program, and a title
            # with quotes and a last backslash reaches it whole.
            $quoted = 'Workflow "quoted" title\'
            & (Join-Path $Kit 'set-title.ps1') -Title $quoted
            Assert ($LASTEXITCODE -eq 0) "set-title.ps1 exits 0 (got $LASTEXITCODE)"
            $got = (& $program /get | Out-String).TrimEnd("`r", "`n")
            Assert ($got -eq $quoted) "set-title.ps1 stores the title as given (got '$got')"
            Start-Process $program -ArgumentList "/set `"$title`"" -Wait
        }

        $code = Invoke-Msiexec '/i' $newer.FullName "$($scope.Suffix)upgrade.log"
        Assert ($code -eq 0) "$name upgrade exits 0 (got $code)"
        $version = $newer.Name -replace '^ietitlebar-(.*)-x64.*$', '$1'
        $entries = @(Get-Entries $scope.DisplayName)
        Assert ($entries.Count -eq 1 -and $entries[0].DisplayVersion -eq $version) `
            "$name one entry after the upgrade, of version $version"
        $code = Invoke-Msiexec '/i' $package.FullName "$($scope.Suffix)downgrade.log"
        Assert ($code -eq 1603) "$name downgrade refused with 1603 (got $code)"

        $code = Invoke-Msiexec '/x' $newer.FullName "$($scope.Suffix)remove.log"
        Assert ($code -eq 0) "$name removal exits 0 (got $code)"
        Assert (-not (Test-Path $scope.Folder)) "$name folder removed"
        Assert (-not (Test-Path $shortcut)) "$name Start menu entry removed"
        Assert (@(Get-Entries $scope.DisplayName).Count -eq 0) "$name entry removed"
        $kept = (Get-ItemProperty 'HKCU:\Software\Microsoft\Internet Explorer\Main').'Window Title'
        Assert ($kept -eq $title) "$name removal leaves the user's title as it was"
    }
} finally {
    if ($null -eq $savedTitle) {
        Remove-ItemProperty $titleKey -Name 'Window Title' -ErrorAction SilentlyContinue
    } else {
        # -Force makes the missing keys above it; on a key that is there it
        # would replace the key, and so it is not given one.
        if (-not (Test-Path $titleKey)) { New-Item $titleKey -Force | Out-Null }
        New-ItemProperty $titleKey -Name 'Window Title' -PropertyType $savedTitle.Kind `
            -Value $savedTitle.Value -Force | Out-Null
    }
    $now = Get-Title
    if ("$($now.Kind)|$($now.Value)" -ne "$($savedTitle.Kind)|$($savedTitle.Value)") {
        throw "the account's browser title could not be put back"
    }
    Write-Output "ok: the account's browser title is as it was"
}
