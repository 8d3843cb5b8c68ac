#!/bin/sh
# The installer step of an update, run by the launcher (Contents/MacOS/vodu --install-selected-desktop PID).

note() {
    echo "vodu: $(date -u +%Y-%m-%dT%H:%M:%SZ) $*" >&2
}

# --install-selected-desktop PID: once the app with PID has exited, start the selected release's app
# (installer/current under VODU_HOME, else ~/.vodu). Started detached by the app, which exits right after;
# standard error is the update log.
install_selected_desktop() {
    pid=${1:-}
    case "$pid" in
    '' | *[!0-9]* | 0 | 1)
        note "--install-selected-desktop needs the process id of the app"
        return 2
        ;;
    esac
    home=${VODU_HOME:-"$HOME/.vodu"}
    current="$home/installer/current"
    # Read before the process entry disappears: which app asked for the update.
    asking=$(readlink -f "/proc/$pid/exe" 2>/dev/null)

    note "waiting for process $pid to exit"
    tries=0
    while kill -0 "$pid" 2>/dev/null; do
        tries=$((tries + 1))
        if [ "$tries" -gt 300 ]; then
            note "process $pid is still running after 30 s; not starting another app"
            return 1
        fi
        sleep 0.1
    done

    if [ ! -L "$current" ] || [ ! -x "$current/Contents/MacOS/vodu-status" ]; then
        note "no selected app at $current"
        return 1
    fi
    app=$(readlink -f "$current/Contents/MacOS/vodu-status")
    if [ -n "$asking" ] && [ "$asking" = "$app" ]; then
        # The selected release itself asked: this step cannot update the app it was started from, and starting
        # it plainly would only hand over again. It starts with the failure shown instead.
        note "the selected app asked for its own update; starting it with the update error"
        VODU_DESKTOP_INSTALL_ERROR="The installer could not update the app it was started from"
        export VODU_DESKTOP_INSTALL_ERROR
    fi
    note "starting $app"
    "$app" </dev/null >/dev/null 2>&1 &
    note "started process $!"
}

case "${1:-}" in
--install-selected-desktop)
    install_selected_desktop "${2:-}"
    ;;
*)
    echo "usage: vodu --install-selected-desktop PID" >&2
    exit 2
    ;;
esac
