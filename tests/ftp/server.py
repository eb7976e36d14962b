#!/usr/bin/env python3
"""Local FTP peer for the fetch tests, on 127.0.0.1 only.

usage: server.py PORTFILE

Binds a free port, writes it to PORTFILE and serves the working folder
read-only until killed. Logins: anonymous (any password); "user" with the
password "secret"; "anonymous@far.example", as a proxy logs in for the host
far.example, sees the folder "proxy" instead. Any other login gets 530, a
missing file 550. Files whose name starts with one of these words behave
so on RETR (SIZE always tells the file's full size):
  refuse425-   425 Can't open data connection.
  refuse426-   426 Connection closed; transfer aborted.
  short-       the first half is sent, then the transfer ends as complete
  reset-       the first half is sent, then the data connection is reset
  stall-       the first half is sent, then the server stays silent
  long-        the file and 1000 bytes more are sent
The login "spaced" (password "secret") gets its passive replies with a
blank after each comma: "(127, 0, 0, 1, p1, p2)".
"""
import os
import socket
import struct
import sys
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import ThreadedFTPServer


class HalfProducer:
    """The first half of a file, then an end chosen by the file's name."""

    def __init__(self, handler, fd, kind):
        self.handler, self.file, self.kind = handler, fd, kind
        self.data = fd.read()
        self.sent = False

    def more(self):
        if not self.sent:
            self.sent = True
            return self.data[: len(self.data) // 2]
        time.sleep(0.3)  # let the half go out first
        if self.kind == "stall":
            time.sleep(3600)
        elif self.kind == "reset":
            channel = self.handler.data_channel
            if channel is not None:
                channel.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                          struct.pack("ii", 1, 0))
                channel.socket.close()
        return b""


class Handler(FTPHandler):
    banner = "Brindale test FTP server ready."
    use_sendfile = False  # the half producers hand their bytes over themselves
    auth_failed_timeout = 0.1  # answer a refused login without the usual delay

    def respond(self, resp, *args, **kwargs):
        if resp.startswith("227") and self.username == "spaced":
            resp = resp.replace(",", ", ")
        return super().respond(resp, *args, **kwargs)

    def ftp_RETR(self, file):
        name = os.path.basename(file)
        for code, text in (("425", "Can't open data connection."),
                           ("426", "Connection closed; transfer aborted.")):
            if name.startswith("refuse%s-" % code):
                self.respond("%s %s" % (code, text))
                return None
        kind = name.split("-", 1)[0] if "-" in name else ""
        if kind == "long":
            try:
                with self.run_as_current_user(self.fs.open, file, "rb") as fd:
                    data = fd.read()
            except OSError as err:
                self.respond("550 %s." % err.strerror)
                return None
            self.push_dtp_data(data + b"x" * 1000, isproducer=False, cmd="RETR")
            return file
        if kind not in ("short", "reset", "stall"):
            return super().ftp_RETR(file)
        try:
            fd = self.run_as_current_user(self.fs.open, file, "rb")
        except OSError as err:
            self.respond("550 %s." % err.strerror)
            return None
        self.push_dtp_data(HalfProducer(self, fd, kind), isproducer=True, file=fd, cmd="RETR")
        return file


def main():
    root = os.getcwd()
    proxied = os.path.join(root, "proxy")
    os.makedirs(proxied, exist_ok=True)
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root)
    authorizer.add_user("user", "secret", root)
    authorizer.add_user("spaced", "secret", root)
    authorizer.add_user("anonymous@far.example", "brindale@", proxied)
    Handler.authorizer = authorizer
    Handler.passive_ports = None
    server = ThreadedFTPServer(("127.0.0.1", 0), Handler)
    port = server.socket.getsockname()[1]
    with open(sys.argv[1] + ".tmp", "w") as f:
        f.write(str(port))
    os.replace(sys.argv[1] + ".tmp", sys.argv[1])
    import logging
    logging.basicConfig(level=logging.CRITICAL)
    server.serve_forever()


if __name__ == "__main__":
    main()
