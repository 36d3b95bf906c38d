#!/usr/bin/env bash
# Installs what is missing, builds both programs and runs every test under Wine and Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
bash scripts/build.sh

source scripts/wine-session.sh
trap stop_wine_session EXIT
start_wine_session
# A test that fails is run once more: under Wine a test process on rare occasions ends
# at once without a word. Both attempts stay in the log.
ctest --test-dir build/x86_64 --output-on-failure --timeout 300 -j 2 --repeat until-pass:2 "$@"
