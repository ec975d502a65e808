#!/usr/bin/env bash
# Stops the players listed in logs/TEAM.pid and nothing else: interrupt first, so that
# each finishes the cycle it is in, then terminate, then kill; removes the pid file.
# Usage: kill.sh [TEAMNAME]   (default Corvane3D)
TEAM_DIR=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
SCRIPT_NAME=kill.sh
# shellcheck source=common.sh
. "$TEAM_DIR/common.sh"

# Seconds each signal is given before the next, harder one.
readonly INTERRUPT_GRACE=3 TERMINATE_GRACE=2 KILL_GRACE=1

[ $# -le 1 ] || team_fail "usage: kill.sh [TEAMNAME]"
team_name=${1:-Corvane3D}
team_check_name "$team_name"
pid_file="$TEAM_LOG_DIR/$team_name.pid"
if [ ! -f "$pid_file" ]; then
    echo "kill.sh: team $team_name is not running here (no ${pid_file#"$TEAM_DIR"/})"
    exit 0
fi

players=()
while read -r pid _; do
    [ -n "$pid" ] || continue
    if team_is_player "$pid" "$team_name"; then
        players+=("$pid")
    else
        echo "kill.sh: pid $pid is no longer a player of $team_name: left alone"
    fi
done <"$pid_file"

# Keeps in `players` those still running; waits up to $1 seconds for them all to end.
wait_players() {
    local ticks=$(($1 * 20)) pid alive
    while :; do
        alive=()
        for pid in "${players[@]}"; do
            team_is_player "$pid" "$team_name" && alive+=("$pid")
        done
        players=("${alive[@]}")
        if [ ${#players[@]} -eq 0 ] || [ $ticks -le 0 ]; then return; fi
        sleep 0.05
        ticks=$((ticks - 1))
    done
}

count=${#players[@]}
signals=(INT TERM KILL)
graces=("$INTERRUPT_GRACE" "$TERMINATE_GRACE" "$KILL_GRACE")
for i in 0 1 2; do
    [ ${#players[@]} -eq 0 ] && break
    kill -s "${signals[$i]}" "${players[@]}" 2>/dev/null
    wait_players "${graces[$i]}"
done

if [ ${#players[@]} -gt 0 ]; then
    printf '%s\n' "${players[@]}" >"$pid_file"
    team_fail "pids ${players[*]} of team $team_name did not end; kept in $pid_file"
fi
rm -f "$pid_file"
echo "kill.sh: stopped $count players of team $team_name"
