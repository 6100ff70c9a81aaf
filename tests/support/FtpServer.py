#!/usr/bin/python3
"""A pyftpdlib server for the tests: 127.0.0.1, an ephemeral port, one user and anonymous access.

usage: FtpServer.py ROOT USER PASSWORD LOGFILE
Prints the port on the first line of stdout. Ends when stdin closes (the test process is gone)
or on SIGTERM.
"""
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def watch_stdin():
    # The parent keeps our stdin open; when it goes away, so do we.
    try:
        while sys.stdin.buffer.read(4096):
            pass
    finally:
        os._exit(0)


def main():
    root, user, password, logfile = sys.argv[1:5]
    logging.basicConfig(filename=logfile, level=logging.INFO)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    authorizer.add_anonymous(root, perm="elr")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "wendar test server"
    handler.auth_failed_timeout = 0.1
    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.socket.getsockname()[1], flush=True)
    threading.Thread(target=watch_stdin, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
