#!/usr/bin/env python3
"""Local HTTP peer for the fetch tests, on 127.0.0.1 only.

usage: server.py PORTFILE [--proxy-auth CREDENTIALS]

Binds a free port, writes it to PORTFILE and serves until killed.
Routes (n = byte count; bodies are the repeating bytes of
body(n) = (b"0123456789abcdef" * ...)[:n]):
  /ok/n                200 with Content-Length
  /noclen/n            200, body delimited by the close of the connection
  /chunked/n           200, chunked in pieces of 1000 bytes
  /slow/n?ms=d&k=b     200, b bytes every d milliseconds
  /big/n               200, n bytes sent as fast as possible
  /status/c            reply code c with a small body
  /redirect/c?to=loc   reply code c with Location loc
  /loop/a, /loop/b     302 to each other
  /self                302 to its own address in capitals
  /reset/n             promises 2n bytes, sends n, then resets the connection
  /files/<path>        a file below the server's working folder
  /cookie              echoes the Cookie header (empty body without one)
  /echo                echoes the request line and headers
  /post                stores a POST body; GET /posted returns the last one
                       and /postedtype the Content-Type it came with
  HEAD of any path     200 with Content-Length 1000 and no body, then the
                       connection is held open (up to 30 s) for the client
                       to close
  /garbage             not an HTTP reply
  /longheader          a header line longer than any sane limit
  /badchunk            a chunk size that is not hex
Routes of the network client's tests:
  /onepiece/n          status line, header and body in one write
  /raw?l=..&l=..&b=..  the lines l (status line and header) as given,
                       an empty line and the body b, then the close
  /silent              never answers (holds the connection up to 30 s)
  /otherport           the port of a second server like this one
  /netreset/n          promises 2n bytes, sends n, then a reset (no FIN before)
Routes of the update check's tests (the update service):
  /isapi/TezBGUpdate.dll?Check&SN=s&Ver=v   the check; the serial s picks the
                       reply: "uptodate", "noupgrade" (no UPGRADE key),
                       "upgrade..." (an offer, sent in two pieces), "broken"
                       (no RESULT=OK), "partial" (an offer cut short)
  /isapi/TezBGUpdate.dll?Prepare&SN=s       SUCCESS for the serial "upgrade",
                       a failure otherwise
  /isapi/last          the query of the last request to the service, as sent
Log receiver of the item log upload (POST only):
  /log/c[?ms=d]        appends the body to log-received.txt in the working
                       folder and answers with reply code c (after d ms)
  /log/silent          reads the body and never answers
A request line with an absolute http:// address is a proxy request: it is
answered with 407 unless Proxy-Authorization matches --proxy-auth (when
given), and then served by its path with the header X-Via-Proxy: 1.
"""
import socket
import socketserver
import struct
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PATTERN = b"0123456789abcdef" * 4096  # 64 KiB


def body(n):
    out = bytearray()
    while len(out) < n:
        out += PATTERN[: n - len(out)]
    return bytes(out)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    proxy_auth = None
    posted = b""
    posted_type = ""
    lock = threading.Lock()

    def log_message(self, fmt, *args):
        pass

    def reply(self, code, data=b"", headers=()):
        self.send_response(code)
        for k, v in headers:
            self.send_header(k, v)
        if self.via_proxy:
            self.send_header("X-Via-Proxy", "1")
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(data)
        self.close_connection = True

    def raw(self, data):
        self.wfile.write(data)
        self.wfile.flush()
        self.close_connection = True

    def route(self):
        target = self.path
        self.via_proxy = False
        if target.lower().startswith("http://"):
            want = Handler.proxy_auth
            if want is not None and self.headers.get("Proxy-Authorization") != want:
                self.reply(407, b"proxy authorization required",
                           [("Proxy-Authenticate", 'Basic realm="test"')])
                return None
            self.via_proxy = True
            target = urllib.parse.urlsplit(target)
            target = target.path + ("?" + target.query if target.query else "")
        u = urllib.parse.urlsplit(target)
        parts = [p for p in u.path.split("/") if p]
        q = dict(urllib.parse.parse_qsl(u.query))
        return parts, q

    def do_GET(self):
        r = self.route()
        if r is None:
            return
        parts, q = r
        head = parts[0] if parts else ""
        arg = parts[1] if len(parts) > 1 else ""
        if head == "ok":
            self.reply(200, body(int(arg)))
        elif head == "noclen":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            self.raw(body(int(arg)))
        elif head == "chunked":
            data = body(int(arg))
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.send_header("Connection", "close")
            self.end_headers()
            for i in range(0, len(data), 1000):
                piece = data[i:i + 1000]
                self.wfile.write(b"%x;ext=1\r\n%s\r\n" % (len(piece), piece))
            self.raw(b"0\r\nX-Trailer: t\r\n\r\n")
        elif head in ("slow", "big"):
            n = int(arg)
            ms = int(q.get("ms", "0")) if head == "slow" else 0
            k = int(q.get("k", "1000")) if head == "slow" else len(PATTERN)
            self.send_response(200)
            self.send_header("Content-Length", str(n))
            self.send_header("Connection", "close")
            self.end_headers()
            data = body(n) if head == "slow" else b""
            sent = 0
            try:
                while sent < n:
                    m = min(k, n - sent)
                    if head == "big":
                        self.wfile.write(PATTERN[:m])
                    else:
                        self.wfile.write(data[sent:sent + m])
                    sent += m
                    self.wfile.flush()
                    if ms:
                        time.sleep(ms / 1000.0)
            except (BrokenPipeError, ConnectionResetError):
                pass
            self.close_connection = True
        elif head == "status":
            self.reply(int(arg), b"status body %s\n" % arg.encode())
        elif head == "redirect":
            self.reply(int(arg), b"moved\n", [("Location", q.get("to", "/ok/10"))])
        elif head == "self":
            port = self.server.server_address[1]
            self.reply(302, b"", [("Location", "HTTP://127.0.0.1:%d/SELF" % port)])
        elif head == "loop":
            other = "b" if arg == "a" else "a"
            port = self.server.server_address[1]
            self.reply(302, b"", [("Location", "http://127.0.0.1:%d/loop/%s" % (port, other))])
        elif head == "reset":
            n = int(arg)
            self.send_response(200)
            self.send_header("Content-Length", str(2 * n))
            self.end_headers()
            self.wfile.write(body(n))
            self.wfile.flush()
            time.sleep(0.2)
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
        elif head == "files":
            import os
            rel = os.path.normpath(os.path.join(*parts[1:])) if len(parts) > 1 else ""
            if rel.startswith("..") or os.path.isabs(rel) or not os.path.isfile(rel):
                self.reply(404, b"no such file\n")
            else:
                with open(rel, "rb") as f:
                    self.reply(200, f.read())
        elif head == "cookie":
            self.reply(200, self.headers.get("Cookie", "").encode())
        elif head == "echo":
            lines = [self.requestline] + ["%s: %s" % kv for kv in self.headers.items()]
            self.reply(200, ("\n".join(lines) + "\n").encode())
        elif head == "posted":
            with Handler.lock:
                self.reply(200, Handler.posted)
        elif head == "postedtype":
            with Handler.lock:
                self.reply(200, Handler.posted_type.encode())
        elif head == "garbage":
            self.raw(b"SPLAT 42 whatever\r\n\r\nnonsense")
        elif head == "longheader":
            self.raw(b"HTTP/1.0 200 OK\r\nX-Long: " + b"a" * 100000 + b"\r\n\r\n")
        elif head == "badchunk":
            self.raw(b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n0\r\n\r\n")
        elif head in NET_CLIENT_ROUTES:
            NET_CLIENT_ROUTES[head](self, parts)
        elif head in UPDATE_ROUTES:
            UPDATE_ROUTES[head](self, parts)
        elif head in CONNECTION_TEST_ROUTES:
            CONNECTION_TEST_ROUTES[head](self, parts)
        else:
            self.reply(404, b"not here\n")

    def do_POST(self):
        r = self.route()
        if r is None:
            return
        n = int(self.headers.get("Content-Length", "0"))
        data = self.rfile.read(n)
        parts, q = r
        if parts and parts[0] == "log":
            time.sleep(int(q.get("ms", "0")) / 1000.0)
            self.log_receiver(parts[1] if len(parts) > 1 else "", data)
            return
        with Handler.lock:
            Handler.posted = data
            Handler.posted_type = self.headers.get("Content-Type", "")
        self.reply(200, b"stored %d\n" % len(data))

    def do_HEAD(self):
        if self.route() is None:
            return
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", "1000")
        self.end_headers()
        self.wfile.flush()
        net_silent(self, [])

    # ---- Log receiver of the item log upload --------------------------
    def log_receiver(self, arg, data):
        if arg == "silent":
            time.sleep(600)
            self.close_connection = True
            return
        with Handler.lock:
            with open("log-received.txt", "ab") as f:
                f.write(data)
        self.reply(int(arg), b"log %s\n" % arg.encode())


# --- Routes of the network client's tests -------------------------------

def net_onepiece(handler, parts):
    data = body(int(parts[1]))
    handler.raw(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n%s" % (len(data), data))


def net_raw(handler, parts):
    q = urllib.parse.parse_qs(urllib.parse.urlsplit(handler.path).query,
                              keep_blank_values=True)
    head = b"".join(l.encode("latin-1") + b"\r\n" for l in q.get("l", []))
    handler.raw(head + b"\r\n" + q.get("b", [""])[0].encode("latin-1"))


def net_silent(handler, parts):
    handler.connection.settimeout(30)
    try:
        handler.connection.recv(1)  # returns when the client closes
    except OSError:
        pass
    handler.close_connection = True


def net_reset(handler, parts):
    n = int(parts[1])
    handler.wfile.write(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n%s" % (2 * n, body(n)))
    time.sleep(0.2)
    # Taken from the request objects, so that their orderly close sends no FIN.
    s = socket.socket(fileno=handler.connection.detach())
    s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    s.close()
    handler.close_connection = True


second_server = []


def net_otherport(handler, parts):
    with Handler.lock:
        if not second_server:
            srv = Server(("127.0.0.1", 0), Handler)
            threading.Thread(target=srv.serve_forever, daemon=True).start()
            second_server.append(srv)
    handler.reply(200, str(second_server[0].server_address[1]).encode())


NET_CLIENT_ROUTES = {
    "onepiece": net_onepiece,
    "raw": net_raw,
    "silent": net_silent,
    "otherport": net_otherport,
    "netreset": net_reset,
}

# --- End of the network client's routes ----------------------------------


# --- Routes of the update check's tests ----------------------------------

UPDATE_OFFER = (b"RESULT=OK<BR>NAME=Brindale Media Manager<BR>UPGRADE=2.5.1<BR>"
                b"SIZE=2097152<BR>DESCRIPTION=Faster recording<BR>")
update_last = [b""]


def update_reply(handler, data, pieces=1):
    handler.send_response(200)
    handler.send_header("Content-Type", "text/html")
    handler.send_header("Content-Length", str(len(data)))
    handler.send_header("Connection", "close")
    handler.end_headers()
    step = (len(data) + pieces - 1) // pieces
    for i in range(0, len(data), step):
        handler.wfile.write(data[i:i + step])
        handler.wfile.flush()
        time.sleep(0.2)
    handler.close_connection = True


def update_service(handler, parts):
    query = urllib.parse.urlsplit(handler.path).query
    if len(parts) > 1 and parts[1] == "last":
        with Handler.lock:
            handler.reply(200, update_last[0])
        return
    with Handler.lock:
        update_last[0] = query.encode("latin-1")
    if len(parts) < 2 or parts[1] != "TezBGUpdate.dll":
        handler.reply(404, b"not here\n")
        return
    fields = query.split("&")
    values = dict(urllib.parse.parse_qsl(query))
    serial = values.get("SN", "")
    if fields[0] == "Check":
        if serial == "uptodate":
            update_reply(handler, b"RESULT=OK<BR>UPGRADE=NONE<BR>")
        elif serial == "noupgrade":
            update_reply(handler, b"RESULT=OK<BR>")
        elif serial.startswith("upgrade"):
            update_reply(handler, UPDATE_OFFER, pieces=2)
        elif serial == "partial":
            handler.send_response(200)
            handler.send_header("Content-Length", str(len(UPDATE_OFFER) + 100))
            handler.send_header("Connection", "close")
            handler.end_headers()
            handler.raw(UPDATE_OFFER)
        else:
            update_reply(handler, b"RESULT=FAILED<BR>")
    elif fields[0] == "Prepare":
        if serial == "upgrade":
            update_reply(handler, b"RESULT=OK<BR>SUCCESS<BR>")
        else:
            update_reply(handler, b"RESULT=FAILED<BR>")
    else:
        handler.reply(400, b"unknown request\n")


UPDATE_ROUTES = {
    "isapi": update_service,
}

# --- End of the update check's routes ------------------------------------


# --- Routes of the main program's connection test -------------------------

# /testinifile/<variant>: the test file in ini form; "good" passes the
# check, "upper" names test.INI, "badsum" holds 1, 2 and 4.
CONNECTION_TEST_FILES = {
    "good": ("test.ini", 1, 2, 3),
    "upper": ("test.INI", 1, 2, 3),
    "badsum": ("test.ini", 1, 2, 4),
}


def connection_test_file(handler, parts):
    variant = parts[1] if len(parts) > 1 else "good"
    if variant not in CONNECTION_TEST_FILES:
        handler.reply(404, b"no such test file")
        return
    name, a, b, c = CONNECTION_TEST_FILES[variant]
    text = "[fileName]\r\nfileName=%s\r\n[parameters]\r\nnum1=%d\r\nnum2=%d\r\nnum3=%d\r\n" % (
        name, a, b, c)
    handler.reply(200, text.encode())


CONNECTION_TEST_ROUTES = {
    "testinifile": connection_test_file,
}

# --- End of the connection test's routes -----------------------------------


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = False


def main():
    args = sys.argv[1:]
    if "--proxy-auth" in args:
        i = args.index("--proxy-auth")
        Handler.proxy_auth = args[i + 1]
        del args[i:i + 2]
    srv = Server(("127.0.0.1", 0), Handler)
    with open(args[0] + ".tmp", "w") as f:
        f.write(str(srv.server_address[1]))
    import os
    os.replace(args[0] + ".tmp", args[0])
    srv.serve_forever()


if __name__ == "__main__":
    main()
