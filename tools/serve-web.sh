#!/usr/bin/env bash
# Serves the web build (build/web) on 127.0.0.1 for a look in a browser.
# Usage: tools/serve-web.sh [port]
set -euo pipefail
cd "$(dirname "$0")/../build/web"
port=${1:-8000}
echo "Quorl in the browser: http://127.0.0.1:$port/quorl.html (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1
