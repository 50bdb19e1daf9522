#!/usr/bin/python3
"""DNS peers for the network check's tests and benchmark, on loopback port 53.

Usage: dns_peers.py WORKDIR   (inside tests/support/private-net)

Starts three NSD servers with zones written to WORKDIR and scripted servers,
prints "READY" once all of them answer, and stops them all when its standard
input closes.
  127.0.0.9   NSD with zone nets.test (name servers, hosts, mail domains)
  127.0.0.10  the resolver of resolv.conf, scripted: passes questions on to
              127.0.0.9, except silent.nets.test (no answer), stray.nets.test
              (an answer holding another owner's address only) and
              chain.nets.test (60 CNAMEs)
  127.0.0.11  ns1: fresh.com, example.com, lame.com, serials.com (2026120801),
              inbw.com (its servers inside it)
  127.0.0.12  ns2: the same, serial 2026120701; not lame.com, for which it
              is lame
  127.0.0.21  tcponly.nets.test: answers as odd does, over TCP only
  127.0.0.20  odd.nets.test, scripted; the domain asked says how it answers:
              silent.com nothing; trunc.com truncated over UDP, whole over
              TCP; other.com about another name; garbage.com bytes that are
              no DNS message; notcp.com nothing over TCP; cached.com the
              data without the authoritative-answer flag, as a cache gives
              it; stray.com and runt.com first a datagram for another
              question or a 2-byte one, the answer 0.2 s later; late.com
              the answer after 0.97 s; truncnotcp.com truncated over UDP and
              nothing over TCP; anything else a good authoritative answer.
"""
import ctypes
import os
import signal
import socket
import socketserver
import subprocess
import sys
import threading
import time

from dnslib import DNSRecord, QTYPE, RR, SOA, NS, A, CNAME

NETS = """$ORIGIN nets.test.
$TTL 300
@ SOA ns1 host 1 3600 900 604800 300
@ NS ns1
@ MX 10 mx
ns1 A 127.0.0.11
ns2 A 127.0.0.12
ns3 A 127.0.0.11
ns9 A 127.0.0.19
alias CNAME ns1
both A 127.0.0.11
both A 127.0.0.12
nullmx MX 0 .
nullmx A 127.0.0.33
tcponly A 127.0.0.21
odd A 127.0.0.20
www A 127.0.0.30
xn--bcher-kva A 127.0.0.30
mx A 127.0.0.31
plain A 127.0.0.32
void TXT "no mail here"
"""


def zone(name, serial):
    return ("$ORIGIN %s.\n$TTL 300\n@ SOA ns1.nets.test. host.nets.test. %d 3600 900 604800 300\n"
            "@ NS ns1.nets.test.\n@ NS ns2.nets.test.\nwww A 127.0.0.40\n" % (name, serial))


INBW = """$ORIGIN inbw.com.
$TTL 300
@ SOA ns1 host 1 3600 900 604800 300
@ NS ns1
@ NS ns2
ns1 A 127.0.0.11
ns2 A 127.0.0.12
"""

SERVERS = {
    '127.0.0.9': {'nets.test': NETS},
    '127.0.0.11': {'fresh.com': zone('fresh.com', 1), 'example.com': zone('example.com', 1),
                   'lame.com': zone('lame.com', 1), 'serials.com': zone('serials.com', 2026120801),
                   'inbw.com': INBW},
    '127.0.0.12': {'fresh.com': zone('fresh.com', 1), 'example.com': zone('example.com', 1),
                   'serials.com': zone('serials.com', 2026120701), 'inbw.com': INBW},
}


def die_with_parent():
    ctypes.CDLL(None).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def start_nsd(work, address, zones):
    folder = os.path.join(work, address)
    os.makedirs(folder)
    conf = ['server:', '  ip-address: %s' % address, '  port: 53', '  username: ""', '  chroot: ""',
            '  zonesdir: "%s"' % folder, '  database: ""', '  pidfile: "%s/nsd.pid"' % folder,
            '  xfrdfile: "%s/xfrd.state"' % folder, '  zonelistfile: "%s/zone.list"' % folder,
            '  logfile: "%s/nsd.log"' % folder, '  server-count: 1', '  verbosity: 0',
            'remote-control:', '  control-enable: no']
    for name, text in zones.items():
        with open(os.path.join(folder, name + '.zone'), 'w') as f:
            f.write(text)
        conf += ['zone:', '  name: %s' % name, '  zonefile: %s.zone' % name]
    path = os.path.join(folder, 'nsd.conf')
    with open(path, 'w') as f:
        f.write('\n'.join(conf) + '\n')
    return subprocess.Popen(['/usr/sbin/nsd', '-d', '-c', path], preexec_fn=die_with_parent,
                            stdout=subprocess.DEVNULL, stderr=open(os.path.join(folder, 'stderr'), 'w'))


def resolver_answer(data, tcp):
    """What the resolver sends: its own answer for two names, otherwise NSD's."""
    query = DNSRecord.parse(data)
    name = str(query.q.qname).rstrip('.').lower()
    reply = query.reply()
    if name == 'silent.nets.test':
        return []
    if name == 'stray.nets.test' and query.q.qtype == QTYPE.A:
        reply.add_answer(RR('elsewhere.nets.test', QTYPE.A, rdata=A('127.0.0.11')))
    elif name == 'chain.nets.test':
        for i in range(60):
            reply.add_answer(RR('c%d.nets.test' % i if i else name, QTYPE.CNAME, rdata=CNAME('c%d.nets.test' % (i + 1))))
        if query.q.qtype == QTYPE.A:
            reply.add_answer(RR('c60.nets.test', QTYPE.A, rdata=A('127.0.0.11')))
    else:
        return [(0, query.send('127.0.0.9', 53, tcp=tcp, timeout=2))]
    return [(0, reply.pack())]


def scripted_answer(data, tcp):
    """The datagrams to send for a query, each after its delay; empty for silence."""
    try:
        query = DNSRecord.parse(data)
    except Exception:
        return []
    name = str(query.q.qname).rstrip('.').lower()
    if name == 'silent.com' or (name in ('notcp.com', 'truncnotcp.com') and tcp):
        return []
    if name == 'garbage.com':
        return [(0, data[:2] + b'\x84\x00' + b'\xff' * 40)]
    if name == 'late.com':
        return [(0.97, good_answer(query, name, tcp))]
    if name == 'stray.com':
        stray = DNSRecord.parse(data).reply()  # reply() shares the question
        stray.questions[0].qname = 'another.com'
        return [(0, stray.pack()), (0.2, good_answer(query, name, tcp))]
    if name == 'runt.com':
        return [(0, data[:2]), (0.2, good_answer(query, name, tcp))]
    return [(0, good_answer(query, name, tcp))]


def good_answer(query, name, tcp):
    reply = query.reply()
    reply.header.aa = 0 if name == 'cached.com' else 1
    if name == 'other.com':
        reply.questions[0].qname = 'another.com'
    if name in ('trunc.com', 'truncnotcp.com') and not tcp:
        reply.header.tc = 1
        return reply.pack()
    if query.q.qtype == QTYPE.SOA:
        reply.add_answer(RR(query.q.qname, QTYPE.SOA, rdata=SOA('odd.nets.test.', 'host.nets.test.', (7, 3600, 900, 604800, 300))))
    elif query.q.qtype == QTYPE.NS:
        reply.add_answer(RR(query.q.qname, QTYPE.NS, rdata=NS('odd.nets.test.')))
    return reply.pack()


class TcpHandler(socketserver.BaseRequestHandler):
    answer = None

    def handle(self):
        try:
            head = self.request.recv(2)
            length = int.from_bytes(head, 'big')
            data = b''
            while len(data) < length:
                chunk = self.request.recv(length - len(data))
                if not chunk:
                    return
                data += chunk
            for delay, answer in self.answer(data, True)[-1:]:
                time.sleep(delay)
                self.request.sendall(len(answer).to_bytes(2, 'big') + answer)
        except OSError:
            pass


def serve_udp(sock, answer):
    while True:
        data, peer = sock.recvfrom(65535)
        try:
            sent = answer(data, False)
        except Exception:
            continue
        for delay, datagram in sent:
            threading.Timer(delay, sock.sendto, (datagram, peer)).start()


def serve(address, answer, udp=True):
    if udp:
        sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        sock.bind((address, 53))
        threading.Thread(target=serve_udp, args=(sock, answer), daemon=True).start()
    handler = type('Handler', (TcpHandler,), {'answer': staticmethod(answer)})
    tcp = socketserver.ThreadingTCPServer((address, 53), handler)
    threading.Thread(target=tcp.serve_forever, daemon=True).start()


def answers(address):
    try:
        q = DNSRecord.question('nets.test', 'SOA')
        q.send(address, 53, timeout=0.2)
        return True
    except Exception:
        return False


def main():
    work = sys.argv[1]
    children = [start_nsd(work, address, zones) for address, zones in SERVERS.items()]
    socketserver.ThreadingTCPServer.allow_reuse_address = True
    socketserver.ThreadingTCPServer.daemon_threads = True
    serve('127.0.0.10', resolver_answer)
    serve('127.0.0.20', scripted_answer)
    serve('127.0.0.21', scripted_answer, udp=False)
    deadline = time.time() + 20
    while not all(answers(a) for a in list(SERVERS) + ['127.0.0.10']):
        if time.time() > deadline or any(c.poll() is not None for c in children):
            print('NSD did not start; see %s/*/stderr' % work, flush=True)
            break
        time.sleep(0.05)
    else:
        print('READY', flush=True)
    sys.stdin.read()
    for c in children:
        c.terminate()
    for c in children:
        c.wait()


if __name__ == '__main__':
    main()
