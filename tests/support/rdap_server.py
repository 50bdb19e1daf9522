#!/usr/bin/python3
"""HTTPS server for the RDAP tests.

Usage: rdap_server.py CERT KEY ROOT

Listens on 127.0.0.1, a free port, and prints "PORT <n>" once it listens.
Serves /dns.json from ROOT/dns.json and /<folder>/domain/<name> from
ROOT/<folder>/<name>.json, with @HOST@ in them replaced by 127.0.0.1:<n> and
@PORT@ by <n>; anything missing is a 404. Made-up folders:
  /moved/domain/<name>        redirects to /registry/domain/example.com
  /moved-plain/domain/<name>  redirects there over plain http
  /stall/...                  never answers
  /huge/...                   sends 2 MB of JSON
  /broken/...                 answers 503
  /endless/...                sends header lines (8 MB of them), then waits
  /gzip/...                   sends the registry's answer gzip-compressed
  /cut/...                    promises 5000 bytes, sends 714 and closes
  /loop/...                   redirects to itself
  /drip/...                   promises 100000 bytes, sends one every 50 ms
Every request is printed as "GET <path> <Accept header>".
"""
import gzip
import http.server
import os
import ssl
import sys
import time


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def send(self, status, body=b'', headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        port = self.server.server_address[1]
        host = '127.0.0.1:%d' % port
        print('GET %s %s' % (self.path, self.headers.get('Accept', '')), flush=True)
        parts = self.path.strip('/').split('/')
        if parts[0] == 'stall':
            time.sleep(30)
            return
        if parts[0] == 'huge':
            return self.send(200, b'{"objectClassName": "domain", "remarks": [' + b'"x",' * 700000 + b'"x"]}')
        if parts[0] == 'broken':
            return self.send(503)
        if parts[0] == 'endless':
            self.wfile.write(b'HTTP/1.1 200 OK\r\n' + (b'X-Filler: ' + b'a' * 1000 + b'\r\n') * 8000)
            time.sleep(30)
            return
        if parts[0] == 'gzip':
            with open(os.path.join(self.server.root, 'registry', 'example.com.json'), 'rb') as f:
                body = gzip.compress(f.read())
            return self.send(200, body, [('Content-Type', 'application/rdap+json'), ('Content-Encoding', 'gzip')])
        if parts[0] == 'cut':
            self.send_response(200)
            self.send_header('Content-Length', '5000')
            self.end_headers()
            self.wfile.write(b'{"objectClassName": "domain", "ldhName": "example.com"}'.ljust(714))
            self.close_connection = True
            return
        if parts[0] == 'loop':
            return self.send(302, headers=[('Location', self.path)])
        if parts[0] == 'drip':
            self.send_response(200)
            self.send_header('Content-Length', '100000')
            self.end_headers()
            for _ in range(100000):
                self.wfile.write(b' ')
                self.wfile.flush()
                time.sleep(0.05)
            return
        if parts[0] in ('moved', 'moved-plain') and len(parts) == 3:
            scheme = 'https' if parts[0] == 'moved' else 'http'
            target = '%s://%s/registry/domain/example.com' % (scheme, host)
            return self.send(301, headers=[('Location', target)])
        if parts == ['dns.json']:
            path = os.path.join(self.server.root, 'dns.json')
        elif len(parts) == 3 and parts[1] == 'domain' and '..' not in self.path:
            path = os.path.join(self.server.root, parts[0], parts[2] + '.json')
        else:
            path = ''
        if not os.path.isfile(path):
            return self.send(404, b'{"errorCode": 404, "title": "Not Found"}',
                             [('Content-Type', 'application/rdap+json')])
        with open(path, 'rb') as f:
            body = f.read().replace(b'@HOST@', host.encode()).replace(b'@PORT@', str(port).encode())
        self.send(200, body, [('Content-Type', 'application/rdap+json')])


def main():
    cert, key, root = sys.argv[1:4]
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
    server.daemon_threads = True
    server.root = root
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    print('PORT %d' % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == '__main__':
    main()
