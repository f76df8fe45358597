# Sourced by the window tests, after they set `name` (for messages), `host` (echovane-host),
# `bundle` and `tolerated` (the list of unavoidable JUCE assertions). Gives them a work folder
# with the host's log, clean-up of the host on any exit, `fail`, and the steps every such test
# takes: open the editor through the host, find its window, and check what JUCE reported.

# require_tools TOOL...: stops the test when a tool is missing.
require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" > /dev/null || {
            echo "$name: $tool is needed; scripts/setup.sh installs it" >&2
            exit 1
        }
    done
}

work=$(mktemp -d)
log="$work/host.log"
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2> /dev/null; then
        kill -KILL "$pid" 2> /dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "$name: $*" >&2
    echo "--- echovane-host said:" >&2
    cat "$log" >&2
    exit 1
}

# Starts `echovane-host open` on a fresh log and sets `window` to the editor's window.
start_host() {
    : > "$log"
    "$host" open "$bundle" --seconds 300 > "$log" 2>&1 &
    pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Kestrin Studio Echovane$' | head -n 1) \
        || fail "no editor window appeared"
}

# Closes the window as a user would; the host then prints the parameters as the editor left them.
stop_host() {
    kill -TERM "$pid"
    wait "$pid" || fail "echovane-host open did not close cleanly"
    pid=""
}

# A Debug build's JUCE assertions and leak reports only ever reach the host's log.
check_juce_reports() {
    local reports
    reports=$("$(dirname "${BASH_SOURCE[0]}")/check-juce-reports.sh" "$log" "$tolerated") || fail "$reports"
}
