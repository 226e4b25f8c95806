# Sourced by scripts/wine-env once the fresh prefix exists. Pages that the launcher opens in the
# browser are recorded instead of shown: the URL recorder becomes the prefix's "iexplore" (App
# Paths; Wine looks the name up without ".exe", Windows with it) and the handler of http and
# https URLs, which is also what keeps Wine from handing URLs to a browser of the host. Wine's
# own iexplore.exe in system32 would be found on the search path before App Paths (on Windows
# Internet Explorer is not on the path), so the test prefix goes without it.
_urlrecorder="$LAUNCHER_BUILD_DIR/tools/urlrecorder/urlrecorder.exe"
if [ -f "$_urlrecorder" ]; then
  rm -f "$WINEPREFIX/drive_c/windows/system32/iexplore.exe"
  _urlrecorder_w="Z:${_urlrecorder//\//\\}"
  for _k in iexplore.exe iexplore; do
    "$WINE" reg.exe add "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\$_k" \
      /ve /t REG_SZ /d "$_urlrecorder_w" /f </dev/null >/dev/null 2>&1
  done
  for _k in http https; do
    "$WINE" reg.exe add "HKLM\\Software\\Classes\\$_k\\shell\\open\\command" \
      /ve /t REG_SZ /d "\"$_urlrecorder_w\" default %1" /f </dev/null >/dev/null 2>&1
  done
  unset _urlrecorder_w _k
fi
unset _urlrecorder
