#!/usr/bin/env bash
# Starts the penalty shoot-out attacker: player 1 with --penaltyattacker, output in
# logs/TEAM_kicker.log, pid in logs/TEAM.pid (kill.sh TEAM stops it).
# Usage: start_penalty_kicker.sh [--alt] [HOST] [PORT] [TEAMNAME]
TEAM_DIR=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
SCRIPT_NAME=start_penalty_kicker.sh
# shellcheck source=common.sh
. "$TEAM_DIR/common.sh"

team_parse_args "$@"
team_prepare
team_launch "${team_name}_kicker.log" 1 --penaltyattacker
team_check_started
