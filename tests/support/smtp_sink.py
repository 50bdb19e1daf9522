#!/usr/bin/python3
"""A local SMTP server for tests: accepts every message and stores it.

Usage: smtp_sink.py FOLDER
Listens on 127.0.0.1 with a free port and prints that port on stdout.
Message n is stored as FOLDER/<n>.env (the "MAIL FROM:" and "RCPT TO:" lines)
and FOLDER/<n>.eml (the data, transparency dots removed), each written
atomically, .env first. Ends when its standard input is closed.
"""
import asyncio
import os
import sys

from aiosmtpd.smtp import SMTP


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
        env += ''.join('RCPT TO:%s\n' % r for r in envelope.rcpt_tos)
        write_atomically(base + '.env', env.encode('latin-1'))
        write_atomically(base + '.eml', envelope.original_content)
        return '250 Message accepted for delivery'


async def main(folder):
    loop = asyncio.get_running_loop()
    sink = Sink(folder)
    server = await loop.create_server(
        lambda: SMTP(sink, data_size_limit=None, hostname='sink.localhost', loop=loop),
        '127.0.0.1', 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await loop.run_in_executor(None, sys.stdin.buffer.read)
    server.close()


if __name__ == '__main__':
    asyncio.run(main(sys.argv[1]))
