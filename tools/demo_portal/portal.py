#!/usr/bin/python3
"""The launcher's built-in demo portal: small pages on the local hosts of the test build.

  portal.py [--hosts FILE]     serves until interrupted

Ports come from scripts/test-hosts (portal, account, download, stats, QQ redirect). The pages
walk through a real session: the login page, a QQ sign-in, entering the game, the game page
with a way back, the version file and the statistics image."""
import html
import os
import re
import sys
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

HERE = os.path.dirname(os.path.abspath(__file__))


def read_hosts():
    hosts = {}
    with open(os.path.join(HERE, "..", "..", "scripts", "test-hosts"), encoding="utf-8") as f:
        for line in f:
            m = re.match(r"^([A-Z_]+)=([\w.]+):(\d+)$", line.strip())
            if m:
                hosts[m.group(1)] = (m.group(2), int(m.group(3)))
    return hosts


HOSTS = read_hosts()


def url(host_var, path):
    host, port = HOSTS[host_var]
    return f"http://{host}:{port}{path}"


def page(title, body):
    return (f"<html><head><meta charset=\"utf-8\"><title>{html.escape(title)}</title></head>"
            f"<body>{body}</body></html>").encode("utf-8")


AUTO = "--auto" in sys.argv  # walk through the session by itself (for scripts/demo)
visits = {"login": 0}


def login_page(query):
    user = "demo_player"
    enter = f"/trun/wd/play.html?wd_entergame=1&wd_server=7&wd_username={user}"
    visits["login"] += 1
    # On its first visit the page enters the game by itself after a while, as a player would.
    refresh = f'<meta http-equiv="refresh" content="8;url={enter}">' if AUTO and visits["login"] == 1 else ""
    qq = url("QQ_REDIRECT_HOST", "/qqconn/oauth/redirect_to_login.php?from=demo")
    return page("Gravemere 登录", refresh + f"""
<h1>Gravemere 登录</h1>
<p>欢迎回来, {user}. 这是演示门户 (demo portal).</p>
<p>Start query: {html.escape(query)}</p>
<a href="{enter}">进入游戏 (enter the game, server 7)</a>
<a href="{qq}" target="_blank">QQ 登录 (QQ sign-in)</a>
<a href="/download/client.exe">下载客户端 (a download link, opens outside)</a>
<a href="http://www.example.com/news" target="_blank">新闻 (news in a new window)</a>
""")


def play_page(query):
    q = parse_qs(query)
    server = q.get("wd_server", ["?"])[0]
    back = '<meta http-equiv="refresh" content="12;url=/trun/wd/index.html?wd_returnlogin=1">' if AUTO else ""
    return page(f"Gravemere - 服务器 {server}", back + f"""
<h1>Gravemere 游戏中 (in game, server {html.escape(server)})</h1>
<p>The game runs here. Use the title bar: settings, forum, official site, scan-to-pay.</p>
<a href="/trun/wd/index.html?wd_returnlogin=1">返回登录 (back to the login page)</a>
""")


class Handler(BaseHTTPRequestHandler):
    server_version = "DemoPortal/1.0"

    def log_message(self, fmt, *args):
        sys.stderr.write("portal %s: %s\n" % (self.server.name, fmt % args))

    def send(self, status, body, ctype="text/html; charset=utf-8"):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0") or 0)
        self.rfile.read(length)
        self.do_GET()

    def do_GET(self):
        parts = urlsplit(self.path)
        path, query = parts.path, parts.query
        name = self.server.name
        if name == "PORTAL_HOST":
            if path == "/trun/wd/index.html":
                return self.send(200, login_page(query))
            if path == "/trun/wd/play.html":
                return self.send(200, play_page(query))
            if path.startswith("/pay/"):
                return self.send(200, page("扫码充值", "<p>[QR code] 用手机扫码充值 (scan with your phone)</p>"))
            return self.send(200, page("Gravemere 官网", f"<p>Portal page {html.escape(path)}</p>"))
        if name == "QQ_REDIRECT_HOST":
            cont = url("ACCOUNT_HOST", "/login?go=" + url("PORTAL_HOST", "/trun/wd/index.html"))
            return self.send(200, page("QQ 登录", f'<p>QQ 授权 (sign in with QQ)</p><a href="{cont}">授权并登录 (authorise)</a>'))
        if name == "ACCOUNT_HOST":
            return self.send(200, page("账号", "<p>Signed in.</p>"))
        if name == "DOWNLOAD_HOST":
            if path.endswith("app.ini"):
                # The demo's version file announces the running version: no upgrade prompt.
                return self.send(200, b"[version]\r\ncurrentversion=3.0.0.0\r\nupgraderange=\r\n", "text/plain")
            return self.send(404, page("404", "not found"))
        if name == "STATS_HOST":
            return self.send(200, b"GIF89a\x01\x00\x01\x00\x00\x00\x00;", "image/gif")
        self.send(404, page("404", "not found"))


def main():
    servers = []
    for name, (host, port) in HOSTS.items():
        srv = ThreadingHTTPServer(("127.0.0.1", port), Handler)
        srv.name = name
        servers.append(srv)
        threading.Thread(target=srv.serve_forever, daemon=True).start()
        print(f"demo portal: {name} on 127.0.0.1:{port}", flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
