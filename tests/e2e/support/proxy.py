"""A local HTTP server that WinINet reaches as its proxy (through http_proxy): it
answers every requested URL with one given body, records the requests it saw and
misbehaves on request."""

import socket
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit, urlunsplit

SERVE, NOT_FOUND, GARBAGE, TRUNCATED, STALL, REFUSE = "serve", "404", "garbage", "truncated", "stall", "refuse"
SERVER_ERROR, REDIRECT = "500", "redirect"
REDIRECT_TARGET = "http://elsewhere.quintaris.example/pictures/latest.jpg"
GARBAGE_BODY = b"<html><body>This is not a picture.</body></html>\n"


def _without_default_port(url):
    parts = urlsplit(url)
    return urlunsplit(parts._replace(netloc=parts.netloc.removesuffix(":80")))


class FakeProxy:
    def __init__(self, body=b"", mode=SERVE, stall_seconds=20):
        self.body = body
        self.mode = mode
        self.stall_seconds = stall_seconds
        self.requests = []  # (method, target as requested, headers)
        self._lock = threading.Lock()
        self._stop = threading.Event()
        proxy = self

        class Handler(BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                with proxy._lock:
                    proxy.requests.append((self.command, self.path, dict(self.headers)))
                proxy._answer(self)

            do_HEAD = do_GET

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
        """The URLs requested, without the default port that WinINet spells out."""
        with self._lock:
            return [_without_default_port(target) for _, target, _ in self.requests]

    def _answer(self, handler):
        if self.mode == REDIRECT and _without_default_port(handler.path) != REDIRECT_TARGET:
            # Moved to another host; the body is then served from there.
            handler.send_response(302)
            handler.send_header("Location", REDIRECT_TARGET)
            handler.send_header("Content-Length", "0")
            handler.end_headers()
            return
        if self.mode in (NOT_FOUND, SERVER_ERROR):
            body = b"Not found\n" if self.mode == NOT_FOUND else b"Internal error\n"
            handler.send_response(404 if self.mode == NOT_FOUND else 500)
            handler.send_header("Content-Type", "text/plain")
        else:
            body = GARBAGE_BODY if self.mode == GARBAGE else self.body
            handler.send_response(200)
            handler.send_header("Content-Type", "text/html" if self.mode == GARBAGE else "image/jpeg")
        if self.mode == STALL:
            # Headers promised, the body held back: a server that hangs mid-answer.
            handler.send_header("Content-Length", str(len(body)))
            handler.end_headers()
            handler.wfile.flush()
            self._stop.wait(self.stall_seconds)
            handler.close_connection = True
            return
        if self.mode == TRUNCATED:
            # Announces the whole body, sends half of it and hangs up.
            handler.send_header("Content-Length", str(len(body)))
            handler.send_header("Connection", "close")
            handler.end_headers()
            handler.wfile.write(body[: len(body) // 2])
            handler.wfile.flush()
            handler.close_connection = True
            handler.connection.shutdown(socket.SHUT_RDWR)
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

