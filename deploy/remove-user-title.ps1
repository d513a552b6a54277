# remove-user-title.ps1: deletes the browser title of the user who runs it,
# so that the browser shows the machine-wide title again. It succeeds when
# there is no title to delete, so it may run at every logon.
Remove-ItemProperty -Path 'HKCU:\Software\Microsoft\Internet Explorer\Main' -Name 'Window Title' -ErrorAction SilentlyContinue
exit 0
