#!/usr/bin/env python3
"""Serves FOLDER over HTTP on the loopback interface, for check-docs's linkchecker, until it
is stopped; prints its address first, on a line of its own.

  serve.py FOLDER

Each answer carries a LinkChecker header, without which linkchecker asks a host at most ten
times a second.
"""
import functools
import http.server
import sys
import urllib.parse


class Handler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        self.send_header("LinkChecker", "this site's own server")
        super().end_headers()

    def log_message(self, *args):
        """Only failures are of interest, and linkchecker reports those."""


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    handler = functools.partial(Handler, directory=sys.argv[1])
    with http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler) as server:
        host, port = server.server_address[:2]
        print(urllib.parse.urlunsplit(("http", f"{host}:{port}", "/", "", "")), flush=True)
        server.serve_forever()


if __name__ == "__main__":
    main()
