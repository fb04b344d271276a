#!/usr/bin/env python3
"""Serves one folder over HTTP/1.1 on 127.0.0.1 (a free port, printed first) for the
downloader benchmarks; with a certificate and its key, over https. Standard
library only; each file goes out with its Content-Length, read in large blocks so
the server is not what is measured.
    http_serve.py FOLDER [CERT.pem KEY.pem]"""
import http.server
import socketserver
import ssl
import sys

folder = sys.argv[1]
tls = None
if len(sys.argv) == 4:
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(sys.argv[2], sys.argv[3])


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=folder, **kwargs)

    def copyfile(self, source, outputfile):
        while True:
            block = source.read(1 << 20)
            if not block:
                break
            outputfile.write(block)

    def log_message(self, *args):
        pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


with Server(("127.0.0.1", 0), Handler) as server:
    if tls is not None:
        server.socket = tls.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    server.serve_forever()
