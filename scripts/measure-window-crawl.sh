#!/bin/bash
# Measures the built program, main window shown under Xvfb, crawling a generated web served by
# nginx on 127.0.18.1: requests per second from nginx's access log and the program's CPU time.
# Needs root (it adds the web's host names to /etc/hosts and removes them at the end), nginx,
# Xvfb, openbox, xdotool and sqlite3. Usage: scripts/measure-window-crawl.sh [build folder]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
work=$(mktemp -d /tmp/window-crawl.XXXXXX)
display=:118
chmod 755 "$work" # the nginx workers read the web as another user
mkdir -p "$work"/{web,logs,app,config/Tarnwick}

# 100 roots link to 10 pages each, which link to 10 leaves each: 11,100 pages of 8 KiB on 41 hosts,
# a third of them with a fax number.
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
roots, fan = 100, 10
pages = roots + roots * fan + roots * fan * fan
address = lambda p: "shop%d.tarnwick.test/p%d.html" % (p % 41, p)
filler = "<p>Family owned since 1962, we serve the whole county with care and honest prices.</p>\r\n"
for p in range(pages):
    body = "<html><body>\r\n<h1>Page %d</h1>\r\n" % p
    first = roots + p * fan if p < roots else roots * (fan + 1) + (p - roots) * fan
    if p < roots * (fan + 1):
        body += "".join('<li><a href="http://%s">more</a></li>\r\n' % address(c) for c in range(first, first + fan))
    if p % 3 == 0:
        body += "<p>Fax: (212) 555-%04d</p>\r\n" % (p % 10000)
    while len(body) < 8 * 1024:
        body += filler
    open("%s/web/p%d.html" % (work, p), "w").write(body + "</body></html>\r\n")
open(work + "/roots.txt", "w").write("\n".join(address(r) for r in range(roots)) + "\n")
PY

cat > "$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/logs/error.log;
events { worker_connections 1024; }
http {
  access_log $work/logs/access.log;
  server { listen 127.0.18.1:80; server_name _; root $work/web; }
}
CONF
cp /etc/hosts "$work/hosts.saved"
cleanup() {
    [ -f "$work/program.pid" ] && kill "$(cat "$work/program.pid")" 2>/dev/null || true
    [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
    [ -n "${openbox_pid:-}" ] && kill "$openbox_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    cat "$work/hosts.saved" > /etc/hosts
}
trap cleanup EXIT
for i in $(seq 0 40); do echo "127.0.18.1 shop$i.tarnwick.test"; done >> /etc/hosts
nginx -c "$work/nginx.conf"

# The program in a folder of its own, its queue filled with the roots and one phrase, so Resume
# starts the crawl; loopback addresses allowed, help and sounds off.
cp "$build/app/tarnwick" "$work/app/"
cp -r "$build/app/sounds" "$work/app/"
sqlite3 "$work/app/spider.mdb" < "$source_dir/src/store/schema.sql"
now=$(date '+%Y-%m-%d %H:%M:%S')
{
    echo "BEGIN; INSERT INTO searches VALUES ('plumbers');"
    echo "INSERT INTO websites VALUES ('dropped.tarnwick.test/', '$now');" # a batch's first is never fetched
    while read -r root; do echo "INSERT INTO websites VALUES ('$root', '$now');"; done < "$work/roots.txt"
    echo "COMMIT;"
} | sqlite3 "$work/app/spider.mdb"
printf '[Settings]\nallowPrivateAddresses=1\nshowHelp=0\nchkAudioEmail=0\nchkAudioNext=0\nchkAudioFinished=0\n' \
    > "$work/config/Tarnwick/Tarnwick.conf"

Xvfb $display -screen 0 1280x1024x24 > "$work/logs/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
sleep 1
openbox > "$work/logs/openbox.log" 2>&1 &
openbox_pid=$!
"$work/app/tarnwick" > "$work/logs/program.log" 2>&1 &
program=$!
echo $program > "$work/program.pid"
window=
for _ in $(seq 1 60); do
    window=$(xdotool search --onlyvisible --name "Tarnwick by" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.5
done
[ -n "$window" ] || { echo "the main window did not show" >&2; exit 1; }
sleep 2
ticks() { awk '{print $14 + $15}' "/proc/$program/stat"; }
start_ticks=$(ticks)
start=$(date +%s.%N)
xdotool mousemove --window "$window" 420 50 click 1 # Resume
last=-1
while true; do # until nginx has served nothing for two seconds
    sleep 2
    count=$(wc -l < "$work/logs/access.log")
    [ "$count" = "$last" ] && break
    last=$count
done
# The per-second counts of the whole seconds the crawl was busy (over 100 requests).
per_second=$(awk '{print $4}' "$work/logs/access.log" | uniq -c | awk '$1 > 100 {print $1}')
busy=$(echo "$per_second" | wc -l)
served=$(echo "$per_second" | awk '{s += $1} END {print s}')
cpu_seconds=$(echo "$(ticks) - $start_ticks" | bc -l | awk -v hz="$(getconf CLK_TCK)" '{print $1 / hz}')
echo "requests served: $(wc -l < "$work/logs/access.log") (status 200: $(awk '$9 == 200' "$work/logs/access.log" | wc -l))"
echo "requests per busy second:" $per_second
echo "mean over $busy busy seconds: $((served / busy)) requests/s"
echo "program CPU: ${cpu_seconds}s over the crawl, $(echo "$cpu_seconds * 1000000 / $(wc -l < "$work/logs/access.log")" | bc) µs a request"
echo "files kept in $work"
