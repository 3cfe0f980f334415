"""A small FTP server on 127.0.0.1 for the updater's tests.

Prints its port on the first line of stdout once it listens. Options:
  --no-mlsd     answers MLSD with 500, so clients fall back to LIST
  --hostile     adds entries named ../x and ..\\x to every MLSD listing
  --tls CERT    offers AUTH TLS with the certificate (and key) in CERT
  --slow        sends file data at about 64 KiB/s
"""
import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

parser = argparse.ArgumentParser()
parser.add_argument("--root", required=True)
parser.add_argument("--user", required=True)
parser.add_argument("--password", required=True)
parser.add_argument("--no-mlsd", action="store_true")
parser.add_argument("--hostile", action="store_true")
parser.add_argument("--tls")
parser.add_argument("--slow", action="store_true")
args = parser.parse_args()

logging.basicConfig(stream=sys.stderr, level=logging.DEBUG, format="%(message)s")

base = FTPHandler
if args.tls:
    from pyftpdlib.handlers import TLS_FTPHandler
    base = TLS_FTPHandler


class HostileFS(AbstractedFS):
    def format_mlsx(self, basedir, listing, perms, facts, ignore_err=True):
        yield from super().format_mlsx(basedir, listing, perms, facts, ignore_err)
        for name in ("../x", "..\\x"):
            yield ("type=file;size=4;modify=20300101000000; %s\r\n" % name).encode()


class Handler(base):
    if args.no_mlsd:
        def ftp_MLSD(self, path):
            self.respond('500 Command "MLSD" not understood.')


authorizer = DummyAuthorizer()
authorizer.add_user(args.user, args.password, args.root, perm="elr")
Handler.authorizer = authorizer
Handler.passive_ports = None
if args.hostile:
    Handler.abstracted_fs = HostileFS
if args.tls:
    from OpenSSL import SSL
    context = SSL.Context(SSL.TLS_SERVER_METHOD)
    context.use_certificate_chain_file(args.tls)
    context.use_privatekey_file(args.tls)
    # Clients resume the control connection's session on the data connections.
    context.set_session_id(b"zentrope-tests")
    Handler.ssl_context = context

    from pyftpdlib.handlers import TLS_DTPHandler

    class HandshakingDTP(TLS_DTPHandler):
        # This version closes a data connection whose handshake comes before
        # the transfer command, as libcurl's does; it must stay readable.
        def readable(self):
            return True if self._ssl_accepting else super().readable()

    Handler.dtp_handler = HandshakingDTP
if args.slow:
    dtp = ThrottledDTPHandler
    dtp.write_limit = 64 * 1024   # what the server sends
    Handler.dtp_handler = dtp
    Handler.use_sendfile = False   # sendfile would bypass the throttle
server = FTPServer(("127.0.0.1", 0), Handler)
print(server.address[1], flush=True)
server.serve_forever()
