#!/usr/bin/env bash
# Theme seeds, written by the theme writer the tests use.
set -euo pipefail
"$(dirname "$0")/../../build-fuzz/fuzz/theme_seeds" "$1"
