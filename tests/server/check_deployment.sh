#!/usr/bin/env bash
# Checks the deployment files of skyvern-scores with the tools that read them:
# systemd-analyze verify on the unit (built for this tree's program) and nginx -t on the
# example site inside a minimal nginx.conf. Exit 77 (skipped) when a tool is missing.
# Usage: check_deployment.sh UNIT DIST_DIR
set -euo pipefail
unit="$1"
dist="$2"

missing=()
for tool in systemd-analyze nginx openssl; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if ((${#missing[@]})); then
  echo "skipped: ${missing[*]} not installed"
  exit 77
fi

# The man page is checked by its own build rule; the unit is verified without looking it up.
systemd-analyze verify --man=no "$unit"
echo "systemd-analyze verify: ok"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 2 -subj /CN=localhost 2>/dev/null
# The example names Debian's snake-oil certificate and the installed proxy settings.
sed -e "s#/etc/ssl/certs/ssl-cert-snakeoil.pem#$work/cert.pem#" \
    -e "s#/etc/ssl/private/ssl-cert-snakeoil.key#$work/key.pem#" \
    -e "s#/etc/nginx/skyvern-scores-proxy.conf#$dist/skyvern-scores-proxy.conf#" \
    "$dist/skyvern-scores.nginx" >"$work/site.conf"
cat >"$work/nginx.conf" <<CONF
pid $work/nginx.pid;
error_log $work/error.log;
events {}
http {
    include $work/site.conf;
}
CONF
nginx -t -q -p "$work" -e "$work/error.log" -c "$work/nginx.conf"
echo "nginx -t: ok"
