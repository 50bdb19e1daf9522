#!/usr/bin/python3
"""A local SMTP server for tests: accepts every message and stores it.

Usage: smtp_sink.py FOLDER [--tls starttls|implicit --cert PEM --key PEM]
                           [--user NAME --password WORD [--only-login]] [--no-ehlo]
                           [--no-8bitmime] [--bind ADDRESS]
Listens on 127.0.0.1 (or the --bind address) with a free port and prints that port on stdout.
Message n is stored as FOLDER/<n>.env (the "MAIL FROM:", "MAIL OPTIONS:" and
"RCPT TO:" lines)
and FOLDER/<n>.eml (the data, transparency dots removed), each written
atomically, .env first. Every login attempt adds a line "MECHANISM USER
ENCRYPTED-0-or-1" to FOLDER/auth.log. With --tls starttls the server demands
STARTTLS; with --user a login is required before MAIL (over plain text too,
unless STARTTLS is demanded), with --only-login offered as LOGIN alone.
--no-ehlo refuses EHLO. --no-8bitmime leaves 8BITMIME out of the EHLO reply,
refuses BODY= on MAIL FROM and refuses data holding a byte above 127.
Ends when its standard input is closed.
"""
import argparse
import asyncio
import os
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult


def write_atomically(path, data):
    tmp = path + '.tmp'
    with open(tmp, 'wb') as f:
        f.write(data)
    os.replace(tmp, path)


class Sink:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, '%06d' % self.count)
        env = 'MAIL FROM:%s\n' % envelope.mail_from
        env += 'MAIL OPTIONS:%s\n' % ' '.join(envelope.mail_options)
        env += ''.join('RCPT TO:%s\n' % r for r in envelope.rcpt_tos)
        write_atomically(base + '.env', env.encode('latin-1'))
        write_atomically(base + '.eml', envelope.original_content)
        return '250 Message accepted for delivery'


class Authenticator:
    def __init__(self, folder, user, password, implicit):
        self.log = os.path.join(folder, 'auth.log')
        self.user = user.encode()
        self.password = password.encode()
        self.implicit = implicit

    def __call__(self, server, session, envelope, mechanism, auth_data):
        encrypted = self.implicit or session.ssl is not None
        with open(self.log, 'a') as f:
            f.write('%s %s %d\n' % (mechanism, auth_data.login.decode(errors='replace'), encrypted))
        ok = auth_data.login == self.user and auth_data.password == self.password
        return AuthResult(success=ok, handled=False)


class OneWrite(SMTP):
    """Sends a multi-line reply in one write, as real servers do, so that
    over TLS the whole reply arrives in one record."""
    held = ''

    async def push(self, status):
        if isinstance(status, bytes):  # an AUTH challenge
            status = status.decode('ascii')
        if len(status) > 3 and status[3] == '-':
            self.held += status + '\r\n'
            return
        held, self.held = self.held, ''
        await super().push(held + status)


class NoEhlo(OneWrite):
    async def smtp_EHLO(self, arg):
        await self.push('502 5.5.1 EHLO is not spoken here')


async def main(args):
    loop = asyncio.get_running_loop()
    sink = Sink(args.folder)
    context = None
    if args.tls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
    implicit = args.tls == 'implicit'
    # decode_data makes aiosmtpd a strict 7-bit server.
    options = dict(data_size_limit=None, hostname='sink.localhost', loop=loop, decode_data=args.no_8bitmime)
    if args.tls == 'starttls':
        options.update(tls_context=context, require_starttls=True)
    if args.user is not None:
        options.update(authenticator=Authenticator(args.folder, args.user, args.password, implicit),
                       auth_required=True, auth_require_tls=args.tls == 'starttls',
                       auth_exclude_mechanism=['PLAIN'] if args.only_login else None)
    protocol = NoEhlo if args.no_ehlo else OneWrite
    server = await loop.create_server(lambda: protocol(sink, **options), args.bind, 0,
                                      ssl=context if implicit else None)
    print(server.sockets[0].getsockname()[1], flush=True)
    await loop.run_in_executor(None, sys.stdin.buffer.read)
    server.close()


if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    parser.add_argument('folder')
    parser.add_argument('--tls', choices=['starttls', 'implicit'])
    parser.add_argument('--cert')
    parser.add_argument('--key')
    parser.add_argument('--user')
    parser.add_argument('--password', default='')
    parser.add_argument('--only-login', action='store_true')
    parser.add_argument('--no-ehlo', action='store_true')
    parser.add_argument('--no-8bitmime', action='store_true')
    parser.add_argument('--bind', default='127.0.0.1')
    asyncio.run(main(parser.parse_args()))
