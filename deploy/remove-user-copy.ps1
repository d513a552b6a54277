# remove-user-copy.ps1: removes every version of the per-user package of
# the user who runs it. Windows Installer lists a user's products of one
# UpgradeCode, {3F6B2C4D-8E15-4A97-B0D3-5C71E28A96F4}, under that code in
# its packed form, each product code packed the same way: the first three
# groups reversed, then each of the last eight bytes with its two digits
# swapped.
$packedUpgradeCode = 'D4C2B6F351E879A40B3DC5172EA8694F'
$key = "HKCU:\Software\Microsoft\Installer\UpgradeCodes\$packedUpgradeCode"
if (-not (Test-Path $key)) { exit 0 }
foreach ($packed in (Get-Item $key).Property) {
    if ($packed -notmatch '^[0-9A-F]{32}$') { continue }
    $groups = foreach ($range in @(0, 8), @(8, 4), @(12, 4)) {
        $part = $packed.Substring($range[0], $range[1])
        -join $part[($part.Length - 1)..0]
    }
    $bytes = foreach ($at in 16, 18, 20, 22, 24, 26, 28, 30) {
        "$($packed[$at + 1])$($packed[$at])"
    }
    $product = '{' + ($groups -join '-') + '-' + (-join $bytes[0..1]) + '-' + (-join $bytes[2..7]) + '}'
    $run = Start-Process msiexec.exe -ArgumentList "/x $product /qn" -Wait -PassThru
    if ($run.ExitCode -notin 0, 1605, 3010) { exit $run.ExitCode }
}
exit 0
