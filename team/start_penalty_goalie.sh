#!/usr/bin/env bash
# Starts the penalty shoot-out keeper: player 1 with --penaltykeeper, output in
# logs/TEAM_goalie.log, pid in logs/TEAM.pid (kill.sh TEAM stops it).
# Usage: start_penalty_goalie.sh [--alt] [HOST] [PORT] [TEAMNAME]
TEAM_DIR=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
SCRIPT_NAME=start_penalty_goalie.sh
# shellcheck source=common.sh
. "$TEAM_DIR/common.sh"

team_parse_args "$@"
team_prepare
team_launch "${team_name}_goalie.log" 1 --penaltykeeper
team_check_started
