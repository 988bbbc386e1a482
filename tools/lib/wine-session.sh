# Sourced by the scripts that run Windows programs. Each lane has a prefix
# of its own, made by tools/setup in the build tree:
#   win32   the 32-bit build under 32-bit Wine, in a win32 prefix;
#   win64   the 64-bit build under 64-bit Wine, in a win64 prefix;
#   x86-32  where 32-bit code runs only under emulation: the shipped 32-bit
#           DLL under 32-bit Wine in a win64 prefix whose 32-bit half was
#           linked in rather than booted (booting it is minutes there).
#
#   scrivlet_wine_env LANE BUILD
#       exports WINEPREFIX (BUILD/wineprefix-LANE unless SCRIVLET_WINEPREFIX
#       names one), WINEARCH, WINEDEBUG and the Unix locale for LANE.
#   scrivlet_wine_loader LANE
#       the Wine loader of LANE's prefix. The 64-bit prefixes never go
#       through the 32-bit loader, which on a machine that runs 32-bit code
#       only under emulation costs about a minute per program start.
#   scrivlet_wine_session LANE COMMAND [ARGS...]
#       runs COMMAND in a new X session under Xvfb, with one Wine server of
#       LANE's prefix started before it and waited for after it; COMMAND's
#       exit status. Call scrivlet_wine_env first.
#   scrivlet_unmanaged_windows LANE PROGRAM.exe
#       (inside a session) lets PROGRAM's windows go unmanaged.

scrivlet_wine_env() {
    local arch=win64
    [ "$1" = win32 ] && arch=win32
    export WINEPREFIX=${SCRIVLET_WINEPREFIX:-$2/wineprefix-$1}
    export WINEARCH=$arch
    export WINEDEBUG=${WINEDEBUG:--all}
    # Wine takes the ANSI code page from the Unix locale and names files in
    # its character set: without a UTF-8 locale (a bare environment has
    # none) no name outside ASCII can be made. C.UTF-8 needs no locale
    # package and gives code page 1252, which the tests and the demo expect
    # whatever the user's own language.
    export LC_ALL=C.UTF-8
}

scrivlet_wine_loader() {
    if [ "$1" = win32 ]; then
        echo wine
    else
        echo /usr/lib/wine/wine64
    fi
}

# One server for the whole run, started before anything else: starting one
# per program costs seconds, and a server started without the display keeps
# its windows hidden.
scrivlet_wine_session() {
    local loader
    loader=$(scrivlet_wine_loader "$1")
    shift
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        loader=$1
        shift
        wineserver -p3
        WINEDLLOVERRIDES="mscoree,mshtml=" "$loader" wineboot >/dev/null 2>&1
        status=0
        "$@" || status=$?
        wineserver -w
        exit $status
    ' scrivlet-session "$loader" "$@"
}

# No window manager runs under Xvfb: Wine then waits two seconds for one
# whenever a managed window hides. Unmanaged windows close at once and get
# their caption drawn by Wine.
scrivlet_unmanaged_windows() {
    WINEDLLOVERRIDES="mscoree,mshtml=" "$(scrivlet_wine_loader "$1")" reg add \
        "HKCU\\Software\\Wine\\AppDefaults\\$2\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
}
