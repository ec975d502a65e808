# shellcheck shell=bash disable=SC2034
# Sourced by the team scripts: argument checks, the pid file, starting one player and
# telling a running player apart from a process that merely reuses its pid.
# Reads TEAM_DIR (the folder of the calling script) and SCRIPT_NAME; sets team_* variables.

TEAM_LOG_DIR="$TEAM_DIR/logs"

team_fail() {
    echo "$SCRIPT_NAME: $*" >&2
    exit 1
}

# Team names become file names and the agent writes them unquoted into its init message,
# so only the characters a league team name uses are taken.
team_check_name() {
    [[ "$1" =~ ^[A-Za-z0-9_-]{1,32}$ ]] \
        || team_fail "team name '$1' must be 1 to 32 letters, digits, '_' or '-'"
}

# The agent connects only to a dotted-decimal IPv4 address and would otherwise end at
# once in every player's log; saying so here is clearer.
team_check_server() {
    local host=$1 port=$2 part
    [[ "$host" =~ ^[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3}\.[0-9]{1,3}$ ]] \
        || team_fail "server address '$host' must be dotted decimal, e.g. 127.0.0.1"
    for part in ${host//./ }; do
        ((10#$part <= 255)) || team_fail "server address '$host' has a part above 255"
    done
    if ! [[ "$port" =~ ^[0-9]{1,5}$ ]] || ((10#$port < 1 || 10#$port > 65535)); then
        team_fail "port '$port' must be a number from 1 to 65535"
    fi
}

# Usage: team_parse_args "$@"  ->  team_program team_host team_port team_name
# "--alt" (or CORVANE_AGENT=agent_alt) picks the alternative program.
team_parse_args() {
    team_program=${CORVANE_AGENT:-agent}
    if [ "${1:-}" = "--alt" ]; then
        team_program=agent_alt
        shift
    fi
    case "$team_program" in
        agent | agent_alt) ;;
        *) team_fail "CORVANE_AGENT must be agent or agent_alt, not '$team_program'" ;;
    esac
    [ $# -le 3 ] || team_fail "usage: $SCRIPT_NAME [--alt] [HOST] [PORT] [TEAMNAME]"
    team_host=${1:-127.0.0.1}
    team_port=${2:-3100}
    team_name=${3:-Corvane3D}
    team_check_server "$team_host" "$team_port"
    team_check_name "$team_name"
    team_pid_file="$TEAM_LOG_DIR/$team_name.pid"
    team_pause=${CORVANE_START_PAUSE:-1}
    [[ "$team_pause" =~ ^[0-9]+(\.[0-9]+)?$ ]] \
        || team_fail "CORVANE_START_PAUSE must be a number of seconds, not '$team_pause'"
}

# True when pid is a live agent or agent_alt started for this team. A pid left in a stale
# pid file may by now belong to anything else, which must never be signalled.
team_is_player() {
    local pid=$1 team=$2 arg first=1 program_ok=0 team_ok=0
    [[ "$pid" =~ ^[1-9][0-9]*$ ]] || return 1
    [ -r "/proc/$pid/cmdline" ] || return 1
    while IFS= read -r -d '' arg; do
        if ((first)); then
            case "${arg##*/}" in agent | agent_alt) program_ok=1 ;; esac
            first=0
        elif [ "$arg" = "--teamname=$team" ]; then
            team_ok=1
        fi
    done <"/proc/$pid/cmdline" 2>/dev/null
    ((program_ok && team_ok))
}

# Refuses to start over a team of the same name that still runs; forgets a stale pid file.
team_prepare() {
    local pid running=()
    [ -x "$TEAM_DIR/$team_program" ] \
        || team_fail "program $TEAM_DIR/$team_program is missing or not executable"
    if ! mkdir -p "$TEAM_LOG_DIR" 2>/dev/null || [ ! -w "$TEAM_LOG_DIR" ]; then
        team_fail "cannot write the log folder $TEAM_LOG_DIR"
    fi
    if [ -f "$team_pid_file" ]; then
        while read -r pid _; do
            team_is_player "$pid" "$team_name" && running+=("$pid")
        done <"$team_pid_file"
        [ ${#running[@]} -eq 0 ] || team_fail "team $team_name is still running" \
            "(pids ${running[*]}); stop it first with kill.sh $team_name"
    fi
    : >"$team_pid_file" || team_fail "cannot write $team_pid_file"
    team_started=()
    team_logs=()
}

# Usage: team_launch LOGNAME UNUM [EXTRA OPTION...]
# The player ignores hang-ups so that it outlives the terminal or remote shell that
# started it; its interrupt handler is its own, so kill.sh can still end it cleanly.
team_launch() {
    local log="$TEAM_LOG_DIR/$1" unum=$2 pid
    shift 2
    (
        trap '' HUP
        exec "$TEAM_DIR/$team_program" "--host=$team_host" "--port=$team_port" \
            "--teamname=$team_name" "--unum=$unum" "$@"
    ) </dev/null >"$log" 2>&1 &
    pid=$!
    echo "$pid" >>"$team_pid_file"
    team_started+=("$pid")
    team_logs+=("$log")
    echo "started $team_program $unum of team $team_name (pid $pid, log ${log#"$TEAM_DIR"/})"
}

# A player that cannot reach the server ends within milliseconds; reporting the start as a
# success would leave the match short of players without a word.
team_check_started() {
    local i pid status ended=0
    sleep "${CORVANE_SETTLE:-0.5}"
    for i in "${!team_started[@]}"; do
        pid=${team_started[$i]}
        kill -0 "$pid" 2>/dev/null && continue
        wait "$pid"
        status=$?
        ended=$((ended + 1))
        echo "$SCRIPT_NAME: pid $pid ended at start-up with status $status:" \
            "$(tail -n 1 "${team_logs[$i]}" 2>/dev/null)" >&2
    done
    [ $ended -eq 0 ] && return 0
    team_fail "$ended of ${#team_started[@]} players ended at start-up (logs in" \
        "$TEAM_LOG_DIR); the others keep running until kill.sh $team_name"
}
