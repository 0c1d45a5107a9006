#!/usr/bin/env python3
"""HTTP and HTTPS servers on 127.0.0.1 for the tests that run the real curl.

    loopback_server.py CERT KEY FILES_DIR

Prints one line, "HTTP_PORT HTTPS_PORT CLOSED_PORT" (CLOSED_PORT has no listener), then serves
until it is killed, or ends by itself after five minutes so it never outlives a crashed test.

    /page         200, a small UTF-8 page
    /redirect     302 to https://demo.zentomi.test/page (another scheme and host)
    /headers      200, the request headers, one "Name: value" per line
    /slow         answers after a minute, past every curl time limit
    /files/NAME   200, the bytes of FILES_DIR/NAME
    anything else 404 with an HTML body
"""
import http.server
import os
import socket
import ssl
import sys
import threading
import time

PAGE = "<html><body><h1>Trang chủ</h1><p>Đọc truyện</p></body></html>\n".encode("utf-8")
NOT_FOUND = "<html><body><h1>404 Không tìm thấy</h1></body></html>\n".encode("utf-8")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    files_dir = "."

    def log_message(self, *arguments):
        pass

    def answer(self, status, body, content_type="text/html; charset=utf-8", headers=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path == "/page":
            self.answer(200, PAGE)
        elif self.path == "/redirect":
            self.answer(302, b"", headers=[("Location", "https://demo.zentomi.test/page")])
        elif self.path == "/headers":
            lines = "".join(f"{name}: {value}\n" for name, value in self.headers.items())
            self.answer(200, lines.encode("utf-8"), "text/plain; charset=utf-8")
        elif self.path == "/slow":
            time.sleep(60)
            self.answer(200, PAGE)
        elif self.path.startswith("/files/"):
            name = os.path.basename(self.path[len("/files/"):])
            try:
                with open(os.path.join(self.files_dir, name), "rb") as file:
                    body = file.read()
            except OSError:
                self.answer(404, NOT_FOUND)
                return
            self.answer(200, body, "application/octet-stream")
        else:
            self.answer(404, NOT_FOUND)


def serve(server):
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()


def main():
    cert, key, files_dir = sys.argv[1:4]
    Handler.files_dir = files_dir
    plain = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    secure = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    for server in (plain, secure):
        server.daemon_threads = True
        serve(server)
    unused = socket.socket()
    unused.bind(("127.0.0.1", 0))
    closed_port = unused.getsockname()[1]
    unused.close()
    print(plain.server_address[1], secure.server_address[1], closed_port, flush=True)
    time.sleep(300)
    os._exit(0)


if __name__ == "__main__":
    main()
