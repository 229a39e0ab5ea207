# Sourced by scripts/play and the updater's end-to-end scripts: Debian's nginx on 127.0.0.1
# serving a folder as the publisher's web site, started in the foreground with its configuration,
# logs and temporary folders in a work folder of its own, and stopped by its process id.
#   start_web_site SITE WORK   sets web_port (a free high port) and web_pid; 1 when it did not start
#   stop_web_site              stops it and waits for it
#   site_registry GAME         points the updater in that game folder at the site (registry.ini)
# The access log (WORK/access.log) gives each request as "METHOD PATH STATUS RANGE".
web_pid=
web_port=
start_web_site() {
  local site=$1 work=$2 nginx=/usr/sbin/nginx
  [ -x "$nginx" ] || { echo "nginx is missing (Debian package nginx-light)"; return 1; }
  mkdir -p "$site" "$work"
  for _ in 1 2 3 4 5; do
    web_port=$(( 20000 + RANDOM % 40000 ))
    cat > "$work/nginx.conf" <<EOF
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx.pid;
error_log stderr;
events { worker_connections 64; }
http {
  log_format ranges '\$request_method \$uri \$status \$http_range';
  access_log $work/access.log ranges;
  client_body_temp_path $work/body;
  proxy_temp_path $work/proxy;
  fastcgi_temp_path $work/fastcgi;
  uwsgi_temp_path $work/uwsgi;
  scgi_temp_path $work/scgi;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$web_port;
    root $site;
  }
}
EOF
    "$nginx" -e stderr -p "$work" -c "$work/nginx.conf" > "$work/nginx.log" 2>&1 &
    web_pid=$!
    for _ in $(seq 100); do
      (exec 3<>"/dev/tcp/127.0.0.1/$web_port") 2>/dev/null && return 0
      kill -0 "$web_pid" 2>/dev/null || break
      sleep 0.05
    done
    kill "$web_pid" 2>/dev/null
    wait "$web_pid" 2>/dev/null
    web_pid=
  done
  echo "nginx did not start:"
  cat "$work/nginx.log"
  return 1
}
stop_web_site() {
  [ -n "$web_pid" ] || return 0
  kill "$web_pid" 2>/dev/null
  wait "$web_pid" 2>/dev/null
  web_pid=
}
site_registry() {
  printf '[HKLM\\Software\\Veldra\\Launcher]\r\nPublisher=http://127.0.0.1:%s\r\n' "$web_port" >> "$1/registry.ini"
}
