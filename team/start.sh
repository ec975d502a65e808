#!/usr/bin/env bash
# Starts a team of eleven against a server: uniform numbers 1 to 11 in order, each
# player's output in logs/TEAM_N.log, their pids in logs/TEAM.pid for kill.sh.
# Usage: start.sh [--alt] [HOST] [PORT] [TEAMNAME]   (127.0.0.1 3100 Corvane3D)
# CORVANE_AGENT=agent_alt does what --alt does; CORVANE_START_PAUSE sets the seconds
# between two players (default 1) so that the server takes them in order.
TEAM_DIR=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
SCRIPT_NAME=start.sh
# shellcheck source=common.sh
. "$TEAM_DIR/common.sh"

team_parse_args "$@"
team_prepare
for unum in 1 2 3 4 5 6 7 8 9 10 11; do
    team_launch "${team_name}_$unum.log" "$unum"
    [ $unum -eq 11 ] || sleep "$team_pause"
done
team_check_started
