# Sourced by scripts/wine-env once the fresh prefix exists: makes CLSID_WebBrowser load the
# stand-in engine in this prefix (see tools/standin/README.md).
# Uses WINE, WINEPREFIX and LAUNCHER_BUILD_DIR (the build tree that holds the DLL).
_standin_dll="${LAUNCHER_BUILD_DIR:-}/tools/standin/standin.dll"
if [ -f "$_standin_dll" ]; then
  _standin_key='HKLM\Software\Classes\CLSID\{8856F961-340A-11D0-A96B-00C04FD705A2}\InprocServer32'
  _standin_win="Z:$(readlink -f "$_standin_dll" | sed 's|/|\\|g')"
  "$WINE" reg.exe add "$_standin_key" /ve /d "$_standin_win" /f </dev/null >/dev/null 2>&1 &&
    "$WINE" reg.exe add "$_standin_key" /v ThreadingModel /d Apartment /f </dev/null >/dev/null 2>&1 ||
    echo "standin: registering $_standin_win failed" >&2
else
  echo "standin: $_standin_dll is not built; CLSID_WebBrowser stays Wine's control" >&2
fi
unset _standin_dll _standin_key _standin_win
