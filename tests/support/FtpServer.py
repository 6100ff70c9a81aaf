#!/usr/bin/python3
# The FTP tests' pyftpdlib server: 127.0.0.1, an ephemeral port, one user and anonymous access.
# usage: FtpServer.py ROOT USER PASSWORD LOGFILE. Prints "PORT PID" on the first line; ends on
# SIGTERM or when its parent process is gone.
import logging
import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def watch_parent(parent):
    while os.getppid() == parent:
        time.sleep(0.5)
    os._exit(0)


root, user, password, logfile = sys.argv[1:5]
logging.basicConfig(filename=logfile, level=logging.INFO)
FTPHandler.authorizer = DummyAuthorizer()
FTPHandler.authorizer.add_user(user, password, root, perm="elradfmwMT")
FTPHandler.authorizer.add_anonymous(root, perm="elr")
FTPHandler.auth_failed_timeout = 0.1
server = FTPServer(("127.0.0.1", 0), FTPHandler)
print(server.socket.getsockname()[1], os.getpid(), flush=True)
threading.Thread(target=watch_parent, args=(os.getppid(),), daemon=True).start()
server.serve_forever()
