#!/usr/bin/python3
"""Reads one message from stdin and prints what a mail reader sees, as JSON.

Parsed with the standard email package: the body text, every attachment
decoded by its Content-Transfer-Encoding, and every uuencoded block found in a
plain body ("begin <mode> <name>" ... "end"), each as base64 of its bytes.
The body also comes as the text a reader shows: decoded by its charset; so do
the subject and sender, their encoded words decoded.
"""
import base64
import binascii
import email
import email.header
import email.policy
import json
import sys


def b64(data):
    return base64.b64encode(data).decode('ascii')


def uu_blocks(text):
    blocks = []
    lines = text.split(b'\n')
    i = 0
    while i < len(lines):
        line = lines[i].rstrip(b'\r')
        if line.startswith(b'begin '):
            name = line.split(b' ', 2)[2].decode('latin-1')
            data = b''
            i += 1
            while i < len(lines) and lines[i].rstrip(b'\r') != b'end':
                data += binascii.a2b_uu(lines[i].rstrip(b'\r'))
                i += 1
            blocks.append({'name': name, 'data': b64(data)})
        i += 1
    return blocks


def header_text(value):
    return str(email.header.make_header(email.header.decode_header(value)))


def main():
    raw = sys.stdin.buffer.read()
    msg = email.message_from_bytes(raw, policy=email.policy.compat32)
    out = {'content_type': msg.get_content_type(), 'subject': header_text(msg.get('Subject', '')),
           'from': header_text(msg.get('From', '')),
           'body': None, 'text': None, 'charset': None, 'cte': None, 'attachments': [], 'uu': []}
    for part in msg.walk():
        if part.is_multipart():
            continue
        payload = part.get_payload(decode=True)
        name = part.get_filename()
        if name:
            out['attachments'].append({'name': name, 'type': part.get_content_type(),
                                       'cte': part.get('Content-Transfer-Encoding', ''),
                                       'data': b64(payload)})
        elif out['body'] is None:
            out['body'] = b64(payload)
            out['charset'] = part.get_content_charset('us-ascii')
            out['cte'] = part.get('Content-Transfer-Encoding', '7bit').lower()
            out['text'] = payload.decode(out['charset'], errors='replace')
            out['uu'] = uu_blocks(payload)
    json.dump(out, sys.stdout)


if __name__ == '__main__':
    main()
