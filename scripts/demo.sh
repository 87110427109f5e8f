#!/usr/bin/env bash
# The offline demo: serves a generated sample Sina blog from the fake web on 127.0.0.1 and backs it up
# completely (images and comments included) into a CHM, in the window when a display exists and in batch
# mode otherwise. Needs a build in build/ (scripts/run.sh makes one). Prints the path of the CHM.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
DEMO="$ROOT/out/demo"
BLOG="user=1234567890,articles=60,categories=4,favourites=5,images=1,comments=60"
ADDRESS="http://blog.sina.com.cn/s/articlelist_1234567890_0_1.html"
TASK="sinademo"

rm -rf "$DEMO"
mkdir -p "$DEMO"
cp build/qvlrx "$DEMO/qvlrx"
printf '\r\n<blog>0</blog>\r\n<name>%s</name>\r\n<href>%s</href>\r\n<pic>True</pic>\r\n<cmt>True</cmt>\r\n' \
    "$TASK" "$ADDRESS" > "$DEMO/auto.cfg"

PORTFILE="$(mktemp)"
build/tools/fakeweb/fakeweb --sina "$BLOG" > "$PORTFILE" &
WEB=$!
trap 'kill $WEB 2>/dev/null || true; rm -f "$PORTFILE"' EXIT
for _ in $(seq 1 100); do
    grep -q "listening on" "$PORTFILE" && break
    sleep 0.1
done
PORT="$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$PORTFILE" | head -n1)"
if [ -z "$PORT" ]; then
    echo "the fake web did not start" >&2
    exit 1
fi
echo "fake web with a sample Sina blog on 127.0.0.1:$PORT"

export http_proxy="http://127.0.0.1:$PORT" HTTP_PROXY="http://127.0.0.1:$PORT" no_proxy="" NO_PROXY=""
if [ -n "${DISPLAY:-}" ] && [ "${QVLRX_DEMO_BATCH:-0}" != "1" ]; then
    echo "answer 是/Yes to the automatic backup question; close the window when the CHM is packed"
    "$DEMO/qvlrx" || true
else
    "$DEMO/qvlrx" --batch
fi

CHM="$DEMO/$TASK.chm"
if [ -f "$CHM" ]; then
    echo "CHM: $CHM"
else
    echo "no CHM was made" >&2
    exit 1
fi
