#!/usr/bin/env python3
"""serve.py HTML: every link and anchor of the site in HTML, checked by Debian's linkchecker.

linkchecker, started as root, reads files as the user nobody, who may not read the clone: so it
reads the site over HTTP from a server on the loopback interface that runs as this check's user,
serving a copy in a folder that only its owner can read, whose name has a space.
"""
import functools
import http.server
import shutil
import subprocess
import sys
import tempfile
import threading
from pathlib import Path


class Handler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        # Without it linkchecker asks a host at most ten times a second.
        self.send_header("LinkChecker", "this site's own server")
        super().end_headers()

    def log_message(self, *args):
        """Only failures are of interest, and linkchecker reports those."""


html = Path(sys.argv[1])
with tempfile.TemporaryDirectory(prefix="link check.", dir=html.parent) as private:
    site = Path(private) / "the site"
    shutil.copytree(html, site)
    config = Path(private) / "linkchecker.ini"
    config.write_text("[checking]\nmaxrequestspersecond=1000\n[AnchorCheck]\n")
    handler = functools.partial(Handler, directory=str(site))
    with http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler) as server:
        threading.Thread(target=server.serve_forever, daemon=True).start()
        # Every page is a start, as the site's menus are written by JavaScript, which
        # linkchecker does not follow. A missing anchor is a warning, which fails it too; links
        # to other hosts are checked for their form only, as the checks run offline.
        pages = [f"http://127.0.0.1:{server.server_address[1]}/{page.name}"
                 for page in sorted(site.glob("*.html"))]
        status = subprocess.run(["linkchecker", "--no-status", "-f", str(config),
                                 "--ignore-url", "^mailto:", *pages], check=False).returncode
        server.shutdown()
    if status:
        sys.exit(status)
    mode = oct(Path(private).stat().st_mode & 0o777)[2:]
    print(f"site: every link of {html} leads to a page, and every anchor to its place "
          f"(checked over a copy in a folder of mode {mode}, '{site}')")
