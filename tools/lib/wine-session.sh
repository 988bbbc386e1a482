# Sourced by the scripts that run Windows programs: the project's Wine prefix
# (made by tools/setup in the build tree) and a virtual display.
#
#   scrivlet_wine_env BUILD
#       exports WINEPREFIX (BUILD/wineprefix unless already set), WINEARCH,
#       WINEDEBUG and the overrides that keep Mono and Gecko away.
#   scrivlet_wine_session COMMAND [ARGS...]
#       runs COMMAND in a new X session under Xvfb, with one Wine server
#       started before it and waited for after it; COMMAND's exit status.
#   scrivlet_unmanaged_windows PROGRAM.exe
#       (inside a session) lets PROGRAM's windows go unmanaged.

scrivlet_wine_env() {
    export WINEPREFIX=${WINEPREFIX:-$1/wineprefix}
    export WINEARCH=win32
    export WINEDEBUG=${WINEDEBUG:--all}
}

# One server for the whole run, started before anything else: starting one
# per program costs seconds, and a server started without the display keeps
# its windows hidden.
scrivlet_wine_session() {
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        wineserver -p3
        WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot >/dev/null 2>&1
        status=0
        "$@" || status=$?
        wineserver -w
        exit $status
    ' scrivlet-session "$@"
}

# No window manager runs under Xvfb: Wine then waits two seconds for one
# whenever a managed window hides. Unmanaged windows close at once and get
# their caption drawn by Wine.
scrivlet_unmanaged_windows() {
    WINEDLLOVERRIDES="mscoree,mshtml=" wine reg add \
        "HKCU\\Software\\Wine\\AppDefaults\\$1\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
}
