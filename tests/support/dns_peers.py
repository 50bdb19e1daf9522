#!/usr/bin/python3
"""DNS peers for the network check's tests and benchmark, on loopback port 53.

Usage: dns_peers.py WORKDIR   (inside tests/support/private-net)

Starts three NSD servers with zones written to WORKDIR and a scripted server,
prints "READY" once all of them answer, and stops them all when its standard
input closes.
  127.0.0.10  the resolver of resolv.conf: zone nets.test (name servers,
              hosts, mail domains)
  127.0.0.11  ns1: fresh.com, example.com, lame.com, serials.com (2026120801)
  127.0.0.12  ns2: fresh.com, example.com, serials.com (2026120701); not
              lame.com, for which it is lame
  127.0.0.20  odd.nets.test, scripted; the domain asked says how it answers:
              silent.com nothing; trunc.com truncated over UDP, whole over
              TCP; other.com about another name; garbage.com bytes that are
              no DNS message; notcp.com nothing over TCP; cached.com the
              data without the authoritative-answer flag, as a cache gives
              it; anything else a good authoritative answer.
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

from dnslib import DNSRecord, QTYPE, RR, SOA, NS, A

NETS = """$ORIGIN nets.test.
$TTL 300
@ SOA ns1 host 1 3600 900 604800 300
@ NS ns1
@ MX 10 mx
ns1 A 127.0.0.11
ns2 A 127.0.0.12
ns3 A 127.0.0.11
ns9 A 127.0.0.19
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


SERVERS = {
    '127.0.0.10': {'nets.test': NETS},
    '127.0.0.11': {'fresh.com': zone('fresh.com', 1), 'example.com': zone('example.com', 1),
                   'lame.com': zone('lame.com', 1), 'serials.com': zone('serials.com', 2026120801)},
    '127.0.0.12': {'fresh.com': zone('fresh.com', 1), 'example.com': zone('example.com', 1),
                   'serials.com': zone('serials.com', 2026120701)},
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


def scripted_answer(data, tcp):
    """The bytes to send for a query, or None for silence."""
    try:
        query = DNSRecord.parse(data)
    except Exception:
        return None
    name = str(query.q.qname).rstrip('.').lower()
    if name == 'silent.com' or (name == 'notcp.com' and tcp):
        return None
    if name == 'garbage.com':
        return data[:2] + b'\x84\x00' + b'\xff' * 40
    reply = query.reply()
    reply.header.aa = 0 if name == 'cached.com' else 1
    if name == 'other.com':
        reply.questions[0].qname = 'another.com'
    if name == 'trunc.com' and not tcp:
        reply.header.tc = 1
        return reply.pack()
    if query.q.qtype == QTYPE.SOA:
        reply.add_answer(RR(query.q.qname, QTYPE.SOA, rdata=SOA('odd.nets.test.', 'host.nets.test.', (7, 3600, 900, 604800, 300))))
    elif query.q.qtype == QTYPE.NS:
        reply.add_answer(RR(query.q.qname, QTYPE.NS, rdata=NS('odd.nets.test.')))
    return reply.pack()


class TcpHandler(socketserver.BaseRequestHandler):
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
            answer = scripted_answer(data, True)
            if answer is None:
                return
            self.request.sendall(len(answer).to_bytes(2, 'big') + answer)
        except OSError:
            pass


def serve_udp(sock):
    while True:
        data, peer = sock.recvfrom(65535)
        answer = scripted_answer(data, False)
        if answer is not None:
            sock.sendto(answer, peer)


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
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind(('127.0.0.20', 53))
    threading.Thread(target=serve_udp, args=(udp,), daemon=True).start()
    socketserver.ThreadingTCPServer.allow_reuse_address = True
    socketserver.ThreadingTCPServer.daemon_threads = True
    tcp = socketserver.ThreadingTCPServer(('127.0.0.20', 53), TcpHandler)
    threading.Thread(target=tcp.serve_forever, daemon=True).start()
    deadline = time.time() + 20
    while not all(answers(a) for a in SERVERS):
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
