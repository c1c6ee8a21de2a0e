"""A local HTTP server that WinINet reaches as its proxy (through http_proxy). Plain
requests name the whole URL; HTTPS ones come as CONNECT, and the tunnel is answered with
a certificate for the real host name, signed by a test authority (support.tls) that a
session may trust. Every requested URL gets one given body, or misbehaves on request;
`rules` pick another answer for URLs that contain a given text."""

import socket
import ssl
import threading
import time
from email.utils import formatdate
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit, urlunsplit

from . import tls

SERVE, NOT_FOUND, GARBAGE, TRUNCATED, STALL, REFUSE = "serve", "404", "garbage", "truncated", "stall", "refuse"
SERVER_ERROR, REDIRECT, XML_ERROR, SILENT, TRICKLE, LATE = "500", "redirect", "xml", "silent", "trickle", "late"
# Yesterday's file under the name asked, as a server that reuses a name each day keeps it
# until today's is out; the first matching request only, the rest as usual.
STALE_ONCE = "stale-once"
REDIRECT_TARGET = "https://mirror.quintaris.example/pictures/latest.jpg"
GARBAGE_BODY = b"<html><body>This is not a picture.</body></html>\n"
# What a map server says, with status 200, about a request it cannot serve.
XML_BODY = (b'<?xml version="1.0" encoding="UTF-8"?>\n<ServiceExceptionReport version="1.1.1">\n'
            b'<ServiceException code="LayerNotDefined">Could not find layer</ServiceException>\n'
            b'</ServiceExceptionReport>\n')


def _without_default_port(url):
    parts = urlsplit(url)
    return urlunsplit(parts._replace(netloc=parts.netloc.removesuffix(":80").removesuffix(":443")))


class FakeProxy:
    def __init__(self, body=b"", mode=SERVE, stall_seconds=20, rules=(), trickle_seconds=2.0):
        self.body = body
        self.mode = mode
        self.rules = list(rules)  # (text in the URL, mode, a body to serve, or a function of the URL making one)
        self._used = set()  # the STALE_ONCE rules that have answered
        self.stall_seconds = stall_seconds
        self.trickle_seconds = trickle_seconds
        self.requests = []  # (method, URL, headers)
        self.tunnels = []  # host:port of each CONNECT
        self._lock = threading.Lock()
        self._stop = threading.Event()
        proxy = self

        class Handler(BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"
            origin = ""  # "https://host" inside a tunnel

            def log_message(self, *args):
                pass

            def do_GET(self):
                url = self.path if self.path.startswith("http") else self.origin + self.path
                with proxy._lock:
                    proxy.requests.append((self.command, url, dict(self.headers)))
                proxy._answer(self, url)

            do_HEAD = do_GET

            def do_CONNECT(self):
                with proxy._lock:
                    proxy.tunnels.append(self.path)
                host = self.path.rsplit(":", 1)[0]
                self.send_response(200, "Connection established")
                self.end_headers()
                self.wfile.flush()
                self.close_connection = True
                try:
                    inner = tls.server_context().wrap_socket(self.connection, server_side=True)
                except (ssl.SSLError, OSError):
                    return  # the client did not trust the certificate, or went away
                tunnel = type("Tunnel", (Handler,), {"origin": f"https://{host}"})
                try:
                    tunnel(inner, self.client_address, self.server)
                except (ssl.SSLError, OSError):
                    pass
                finally:
                    inner.close()

        self._server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self._server.daemon_threads = True
        self.port = self._server.server_address[1]
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()
        if mode == REFUSE:
            self._close_listener()

    @property
    def url(self):
        return f"http://127.0.0.1:{self.port}"

    def env(self):
        """What a Wine process needs to reach this server as its proxy."""
        return {"http_proxy": self.url}

    def urls(self):
        """The URLs requested, without the default ports that WinINet may spell out."""
        with self._lock:
            return [_without_default_port(url) for _, url, _ in self.requests]

    def _choose(self, url):
        for index, (text, answer) in enumerate(self.rules):
            if text in url:
                if answer == STALE_ONCE:
                    if index in self._used:
                        continue
                    self._used.add(index)
                if callable(answer):  # a body made for the very request, as a map server draws one
                    return SERVE, answer(url)
                return (SERVE, answer) if isinstance(answer, bytes) else (answer, self.body)
        return self.mode, self.body

    def _answer(self, handler, url):
        mode, body = self._choose(url)
        if mode == LATE:
            # The whole answer at once, but only after the stall: just past an attempt's time.
            self._stop.wait(self.stall_seconds)
            mode = SERVE
        if mode == REDIRECT and _without_default_port(url) != REDIRECT_TARGET:
            # Moved to another host; the body is then served from there.
            handler.send_response(302)
            handler.send_header("Location", REDIRECT_TARGET)
            handler.send_header("Content-Length", "0")
            handler.end_headers()
            return
        if mode == SILENT:
            # A server that takes the request and never answers.
            self._stop.wait(self.stall_seconds)
            handler.close_connection = True
            return
        if mode in (NOT_FOUND, SERVER_ERROR):
            body = b"Not found\n" if mode == NOT_FOUND else b"Internal error\n"
            handler.send_response(404 if mode == NOT_FOUND else 500)
            handler.send_header("Content-Type", "text/plain")
        elif mode == XML_ERROR:
            body = XML_BODY
            handler.send_response(200)
            handler.send_header("Content-Type", "application/vnd.ogc.se_xml")
        else:
            body = GARBAGE_BODY if mode == GARBAGE else body
            handler.send_response(200)
            handler.send_header("Content-Type", "text/html" if mode == GARBAGE else "image/jpeg")
            if mode == STALE_ONCE:
                handler.send_header("Last-Modified", formatdate(time.time() - 86400 + 600, usegmt=True))
        if mode == STALL:
            # Headers promised, the body held back: a server that hangs mid-answer.
            handler.send_header("Content-Length", str(len(body)))
            handler.end_headers()
            handler.wfile.flush()
            self._stop.wait(self.stall_seconds)
            handler.close_connection = True
            return
        if mode == TRICKLE:
            # A byte every few seconds: each read gets something, the whole never comes.
            handler.send_header("Content-Length", str(len(body)))
            handler.end_headers()
            end = time.monotonic() + self.stall_seconds
            for byte in body:
                if self._stop.wait(self.trickle_seconds) or time.monotonic() > end:
                    break
                handler.wfile.write(bytes([byte]))
                handler.wfile.flush()
            handler.close_connection = True
            return
        if mode == TRUNCATED:
            # Announces the whole body, sends half of it and hangs up.
            handler.send_header("Content-Length", str(len(body)))
            handler.send_header("Connection", "close")
            handler.end_headers()
            handler.wfile.write(body[: len(body) // 2])
            handler.wfile.flush()
            handler.close_connection = True
            try:
                handler.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            return
        handler.send_header("Content-Length", str(len(body)))
        handler.end_headers()
        if handler.command != "HEAD":
            handler.wfile.write(body)

    def _close_listener(self):
        self._server.shutdown()
        self._server.server_close()

    def close(self):
        self._stop.set()
        if self.mode != REFUSE:
            self._close_listener()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
