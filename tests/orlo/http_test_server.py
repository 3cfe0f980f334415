"""A small HTTP server on 127.0.0.1 for the orlo tests.

Prints its ephemeral port on the first line of stdout and exits when stdin
closes (the test ended or died) or on SIGTERM.

  /echo...          "OK" then one "key=value" line per request detail
  /body/<escaped>   answers the percent-decoded bytes as they are
  /big              streams 65 MiB without a length, then closes
  /redirect         302 to /echo (keeping the query)
"""
import os
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class Handler(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def reply(self, body, status=200, headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def answer(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        path, _, query = self.path.partition("?")
        if path == "/echo":
            lines = [
                "OK",
                "method=" + self.command,
                "target=" + self.path,
                "version=" + self.request_version,
                "agent=" + self.headers.get("User-Agent", "<none>"),
                "type=" + self.headers.get("Content-Type", "<none>"),
                "referer=" + self.headers.get("Referer", "<none>"),
                "accept=" + self.headers.get("Accept", "<none>"),
                "body=" + body.decode("latin-1"),
            ]
            self.reply(("\n".join(lines) + "\n").encode("latin-1"))
        elif path.startswith("/body/"):
            self.reply(urllib.parse.unquote_to_bytes(path[len("/body/"):]))
        elif path == "/big":
            self.send_response(200)
            self.end_headers()
            chunk = b"x" * (1 << 20)
            try:
                for _ in range(65):
                    self.wfile.write(chunk)
            except OSError:
                pass  # the client gave up, as it should
        elif path == "/redirect":
            self.reply(b"", 302, [("Location", "/echo" + ("?" + query if query else ""))])
        else:
            self.reply(b"Error not found", 404)

    do_GET = answer
    do_POST = answer


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)

    def watch_stdin():
        sys.stdin.buffer.read()
        os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
