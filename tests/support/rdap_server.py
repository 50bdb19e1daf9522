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
  /continue/...               sends "100 Continue" answers, 256 KB of them
  /over/...                   1 MiB + 1 byte with its length; /over-chunked/ in chunks
  /te-foo/...                 a body in "Transfer-Encoding: foo"
  /odd-reason/...             503 with control characters in the reason phrase
  /slow-moved/[SECONDS/]...   redirects to itself after half a second (or SECONDS)
  /to-ftp/, /to-port/, /to-one-slash/, /to-login/   redirect to such an address
                              (the login one to /registry/domain/example.com)
Framings of an ordinary answer: /<framing>/dns.json is the bootstrap file,
/<framing>/domain/<name> the registry's example.com, sent as FRAMINGS says.
Every request is printed as "GET <path> <Accept header>", followed by
" Authorization: <value>" when one was sent.
"""
import gzip
import http.server
import os
import ssl
import sys
import time


def chunked(body, extension=b'', trailers=b''):
    pieces = [body[i:i + 100] for i in range(0, len(body), 100)]
    return b''.join(b'%x%s\r\n%s\r\n' % (len(p), extension, p) for p in pieces) + b'0\r\n' + trailers + b'\r\n'


# What ordinary servers send: each framing gives the raw answer for a body.
FRAMINGS = {
    'chunked': lambda b: b'HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n' + chunked(b),
    'chunk-ext': lambda b: b'HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n' + chunked(b, b';n=1;q="a b"'),
    'trailers': lambda b: (b'HTTP/1.1 200 OK\r\nTrailer: X-Sum\r\nTransfer-Encoding: Chunked\r\n\r\n' +
                           chunked(b, trailers=b'X-Sum: 1\r\nContent-Length: 5\r\n')),
    # The folded line is part of X-Note's value, not a length of its own.
    'folded': lambda b: (b'HTTP/1.1 200 OK\r\nX-Note: first\r\n Content-Length: 5\r\n\tand more\r\n'
                         b'Content-Length: %d\r\n\r\n%s' % (len(b), b)),
    'two-lengths': lambda b: b'HTTP/1.1 200 OK\r\nContent-Length: %d\r\nContent-Length: 5\r\n\r\n%s' % (len(b), b),
    'same-lengths': lambda b: b'HTTP/1.1 200 OK\r\nContent-Length: %d, %d\r\n\r\n%s' % (len(b), len(b), b),
    # A 204 has no content, whatever follows it on the connection.
    'no-content': lambda b: b'HTTP/1.1 204 No Content\r\n\r\n' + b,
    'early-hints': lambda b: (b'HTTP/1.1 103 Early Hints\r\nLink: </x>\r\n\r\n'
                              b'HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n%s' % (len(b), b)),
}


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
        auth = self.headers.get('Authorization')
        print('GET %s %s%s' % (self.path, self.headers.get('Accept', ''), ' Authorization: ' + auth if auth else ''),
              flush=True)
        parts = self.path.strip('/').split('/')
        if parts[0] in FRAMINGS:
            name = 'dns.json' if parts[-1] == 'dns.json' else os.path.join('registry', 'example.com.json')
            with open(os.path.join(self.server.root, name), 'rb') as f:
                body = f.read().replace(b'@HOST@', host.encode()).replace(b'@PORT@', str(port).encode())
            self.wfile.write(FRAMINGS[parts[0]](body))
            self.wfile.flush()
            if parts[0] == 'no-content':
                time.sleep(30)  # and the connection stays open
            self.close_connection = True
            return
        raw = {
            'continue': b'HTTP/1.1 100 Continue\r\n\r\n' * 10000,
            'over': b'HTTP/1.1 200 OK\r\nContent-Length: 1048577\r\n\r\n' + b' ' * 1048577,
            'over-chunked': b'HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n' + chunked(b' ' * 1048577),
            'te-foo': b'HTTP/1.1 200 OK\r\nTransfer-Encoding: foo\r\n\r\n{}',
            'odd-reason': b'HTTP/1.1 503 Bad\x1b[31m\x85 Gateway\r\nContent-Length: 0\r\n\r\n',
        }
        if parts[0] in raw:
            self.wfile.write(raw[parts[0]])
            self.close_connection = True
            return
        targets = {'to-ftp': 'ftp://%s/registry/domain/example.com' % host,
                   'to-port': 'https://127.0.0.1:99999/registry/domain/example.com',
                   'to-one-slash': 'https:/s/registry/domain/example.com',
                   'to-login': 'https://user:secret@%s/registry/domain/example.com' % host}
        if parts[0] in targets:
            return self.send(302, headers=[('Location', targets[parts[0]])])
        if parts[0] == 'slow-moved':
            time.sleep(float(parts[1]) if len(parts) > 2 else 0.5)
            return self.send(302, headers=[('Location', self.path)])
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
            # A bomb: 64 MB of spaces in 64 KB, refused before anything is inflated.
            body = gzip.compress(b' ' * (64 << 20), 9)
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
