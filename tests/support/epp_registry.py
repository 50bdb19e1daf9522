#!/usr/bin/python3
"""A scripted EPP registry (RFC 5730-5734) for the tests.

Usage: epp_registry.py FOLDER [MODE]

Makes a test authority (FOLDER/ca.pem) and a certificate for 127.0.0.1 with
openssl, listens with TLS on 127.0.0.1, a free port, and prints "PORT <n>"
once it listens. Frames are RFC 5734's: a 4-byte length, header included, then XML.
Each command is parsed strictly, by namespace and element order, against
what RFC 5731-5733 allow; anything else is 2001 with the reason. Domains,
hosts and contacts live in FOLDER/store.json (read at each session, written
after each change). FOLDER/log gets one line a command: "VERB OBJECT NAME [details]".
The client ID is "zandolet" with the password "secret-pw".

MODE misbehaves: huge (a 4 GB length header), cut (a greeting cut short),
doctype (a greeting with a DOCTYPE and entities), nogreeting, silence (a
greeting, then nothing), refuselogin (2200 to the login), busy (2502 to the
login), end (1500 to the first command after the login), step (an answer
with another clTRID).
"""
import json, os, re, socket, ssl, struct, subprocess, sys, threading, time
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape

EPP = 'urn:ietf:params:xml:ns:epp-1.0'
NS = {'domain': 'urn:ietf:params:xml:ns:domain-1.0', 'host': 'urn:ietf:params:xml:ns:host-1.0',
      'contact': 'urn:ietf:params:xml:ns:contact-1.0'}
MESSAGES = {1000: 'Command completed successfully', 1001: 'Command completed successfully; action pending',
            1300: 'Command completed successfully; no messages', 1301: 'Command completed successfully; ack to dequeue',
            1500: 'Command completed successfully; ending session', 2001: 'Command syntax error',
            2002: 'Command use error', 2003: 'Required parameter missing', 2005: 'Parameter value syntax error',
            2200: 'Authentication error', 2201: 'Authorization error', 2302: 'Object exists',
            2303: 'Object does not exist', 2305: 'Object association prohibits operation',
            2306: 'Parameter value policy error', 2400: 'Command failed',
            2502: 'Session limit exceeded; server closing connection'}
VOICE = re.compile(r'^\+\d{1,3}\.\d{1,14}$')
ID = re.compile(r'^[^\s]{3,16}$')


class Refusal(Exception):
    def __init__(self, code, reason=''):
        super().__init__(reason)
        self.code, self.reason = code, reason


def q(ns, name):
    return '{%s}%s' % (NS.get(ns, ns), name)


def strict(el, spec, where):
    """Children of el must follow spec: [(qualified name, min, max, child spec or None)] in order."""
    kids, at = list(el), 0
    for name, low, high, inner in spec:
        n = 0
        while at < len(kids) and kids[at].tag == name and n < high:
            if inner is not None:
                strict(kids[at], inner, name)
            elif len(kids[at]):
                raise Refusal(2001, '%s holds elements' % name)
            at, n = at + 1, n + 1
        if n < low:
            raise Refusal(2001 if at < len(kids) else 2003, 'missing %s in %s' % (name.split('}')[1], where))
    if at < len(kids):
        raise Refusal(2001, 'unexpected %s in %s' % (kids[at].tag, where))


def text(el, path):
    found = el.find(path)
    return (found.text or '').strip() if found is not None else ''


D, H, C = (lambda n: q('domain', n)), (lambda n: q('host', n)), (lambda n: q('contact', n))
AUTH = lambda f: [(f('pw'), 1, 1, None)]
HOSTATTR = [(D('hostName'), 1, 1, None), (D('hostAddr'), 0, 99, None)]
NSSPEC = [(D('hostObj'), 0, 13, None), (D('hostAttr'), 0, 13, HOSTATTR)]
POSTAL = [(C('name'), 1, 1, None), (C('org'), 0, 1, None),
          (C('addr'), 1, 1, [(C('street'), 0, 3, None), (C('city'), 1, 1, None), (C('sp'), 0, 1, None),
                             (C('pc'), 0, 1, None), (C('cc'), 1, 1, None)])]
DISCLOSE = [(C('name'), 0, 2, None), (C('org'), 0, 2, None), (C('addr'), 0, 2, None), (C('voice'), 0, 1, None),
            (C('fax'), 0, 1, None), (C('email'), 0, 1, None)]
ADDREM = [(D('ns'), 0, 1, NSSPEC), (D('contact'), 0, 99, None), (D('status'), 0, 11, None)]
SPECS = {
    ('check', 'domain'): [(D('name'), 1, 99, None)], ('check', 'host'): [(H('name'), 1, 99, None)],
    ('check', 'contact'): [(C('id'), 1, 99, None)],
    ('info', 'domain'): [(D('name'), 1, 1, None), (D('authInfo'), 0, 1, AUTH(D))],
    ('info', 'host'): [(H('name'), 1, 1, None)],
    ('info', 'contact'): [(C('id'), 1, 1, None), (C('authInfo'), 0, 1, AUTH(C))],
    ('delete', 'domain'): [(D('name'), 1, 1, None)], ('delete', 'host'): [(H('name'), 1, 1, None)],
    ('delete', 'contact'): [(C('id'), 1, 1, None)],
    ('create', 'domain'): [(D('name'), 1, 1, None), (D('period'), 0, 1, None), (D('ns'), 0, 1, NSSPEC),
                           (D('registrant'), 0, 1, None), (D('contact'), 0, 99, None), (D('authInfo'), 1, 1, AUTH(D))],
    ('create', 'host'): [(H('name'), 1, 1, None), (H('addr'), 0, 99, None)],
    ('create', 'contact'): [(C('id'), 1, 1, None), (C('postalInfo'), 1, 2, POSTAL), (C('voice'), 0, 1, None),
                            (C('fax'), 0, 1, None), (C('email'), 1, 1, None), (C('authInfo'), 1, 1, AUTH(C)),
                            (C('disclose'), 0, 1, DISCLOSE)],
    ('update', 'domain'): [(D('name'), 1, 1, None), (D('add'), 0, 1, ADDREM), (D('rem'), 0, 1, ADDREM),
                           (D('chg'), 0, 1, [(D('registrant'), 0, 1, None), (D('authInfo'), 0, 1, AUTH(D))])],
    ('update', 'host'): [(H('name'), 1, 1, None), (H('add'), 0, 1, [(H('addr'), 0, 99, None), (H('status'), 0, 7, None)]),
                         (H('rem'), 0, 1, [(H('addr'), 0, 99, None), (H('status'), 0, 7, None)]),
                         (H('chg'), 0, 1, [(H('name'), 1, 1, None)])],
    ('update', 'contact'): [(C('id'), 1, 1, None), (C('add'), 0, 1, [(C('status'), 1, 7, None)]),
                            (C('rem'), 0, 1, [(C('status'), 1, 7, None)]),
                            (C('chg'), 0, 1, [(C('postalInfo'), 0, 2, POSTAL), (C('voice'), 0, 1, None),
                                              (C('fax'), 0, 1, None), (C('email'), 0, 1, None),
                                              (C('authInfo'), 0, 1, AUTH(C)), (C('disclose'), 0, 1, DISCLOSE)])],
}
LOGIN = [(q(EPP, 'clID'), 1, 1, None), (q(EPP, 'pw'), 1, 1, None), (q(EPP, 'newPW'), 0, 1, None),
         (q(EPP, 'options'), 1, 1, [(q(EPP, 'version'), 1, 1, None), (q(EPP, 'lang'), 1, 1, None)]),
         (q(EPP, 'svcs'), 1, 1, [(q(EPP, 'objURI'), 1, 9, None), (q(EPP, 'svcExtension'), 0, 1, [(q(EPP, 'extURI'), 1, 9, None)])])]


def xml_escape(s):
    return escape(s, {'"': '&quot;'})


class Session:
    def __init__(self, conn, store_path, log_path, mode):
        self.conn, self.store_path, self.log_path, self.mode = conn, store_path, log_path, mode
        self.logged_in, self.commands, self.stream = False, 0, conn.makefile('rb')
        with open(store_path) as f:
            self.store = json.load(f)

    def save(self):
        with open(self.store_path, 'w') as f:
            json.dump(self.store, f, indent=1, sort_keys=True)

    def log(self, line):
        with open(self.log_path, 'a') as f:
            f.write(line + '\n')

    def changed(self, line, trid, code=1000, resdata=''):
        self.save()
        self.log(line)
        self.respond(code, trid, resdata)

    def send(self, body):
        data = ('<?xml version="1.0" encoding="UTF-8"?><epp xmlns="%s">%s</epp>' % (EPP, body)).encode()
        self.conn.sendall(struct.pack('>I', len(data) + 4) + data)

    def greeting(self):
        objs = ''.join('<objURI>%s</objURI>' % u for u in NS.values())
        return ('<greeting><svID>Scripted Registry</svID><svDate>2026-12-08T12:00:00.0Z</svDate><svcMenu>'
                '<version>1.0</version><lang>en</lang>%s<svcExtension><extURI>urn:ietf:params:xml:ns:secDNS-1.1'
                '</extURI></svcExtension></svcMenu><dcp><access><all/></access><statement><purpose><admin/>'
                '</purpose><recipient><ours/></recipient><retention><stated/></retention></statement></dcp>'
                '</greeting>' % objs)

    def respond(self, code, trid, resdata='', reason='', msgq=''):
        self.commands += 1
        svtrid = 'SRV-%d' % self.commands
        value = ('<extValue><value><undef/></value><reason>%s</reason></extValue>' % xml_escape(reason)) if reason else ''
        tr = '<trID>%s<svTRID>%s</svTRID></trID>' % ('<clTRID>%s</clTRID>' % xml_escape(trid) if trid else '', svtrid)
        self.send('<response><result code="%d"><msg>%s</msg>%s</result>%s%s%s</response>' % (
            code, MESSAGES[code], value, msgq, '<resData>%s</resData>' % resdata if resdata else '', tr))

    def run(self):
        # Misbehaviours before or instead of a greeting: bytes sent, then seconds of silence.
        doctype = (b'<?xml version="1.0"?><!DOCTYPE epp [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;">]>'
                   b'<epp xmlns="urn:ietf:params:xml:ns:epp-1.0"><greeting><svID>&b;</svID></greeting></epp>')
        hostile = {'nogreeting': (b'', 60), 'huge': (b'\xff\xff\xff\xff' + b'<' * 65536, 5),
                   'cut': (struct.pack('>I', 400) + b'<?xml version="1.0"?><epp xmlns="%s"><greet' % EPP.encode(), 0),
                   'doctype': (struct.pack('>I', len(doctype) + 4) + doctype, 5)}
        if self.mode in hostile:
            self.conn.sendall(hostile[self.mode][0])
            time.sleep(hostile[self.mode][1])
            return
        self.send(self.greeting())
        if self.mode == 'silence':
            time.sleep(60)
            return
        while True:
            head = self.read(4)
            if head is None:
                return
            length = struct.unpack('>I', head)[0]
            if length < 5 or length > 1 << 20:
                return
            frame = self.read(length - 4)
            if frame is None or not self.handle(frame):
                return

    def read(self, n):
        data = self.stream.read(n)
        return data if len(data) == n else None

    def handle(self, frame):
        trid = ''
        try:
            if b'<!DOCTYPE' in frame:
                raise Refusal(2001, 'a DOCTYPE')
            root = ET.fromstring(frame)
            if root.tag != q(EPP, 'epp') or len(root) != 1 or root[0].tag != q(EPP, 'command'):
                raise Refusal(2001, 'not an EPP command')
            cmd = root[0]
            kids = list(cmd)
            if not kids or len(kids) > 2 or (len(kids) == 2 and kids[1].tag != q(EPP, 'clTRID')):
                raise Refusal(2001, 'a command holds one verb and a clTRID')
            trid = text(cmd, q(EPP, 'clTRID'))
            if self.mode == 'step' and self.logged_in:
                trid = 'SOMEONE-ELSE'
            verb = kids[0].tag.split('}')[1]
            if kids[0].tag != q(EPP, verb):
                raise Refusal(2001, 'the verb is not in the EPP namespace')
            if verb == 'login':
                return self.login(kids[0], trid)
            if not self.logged_in:
                raise Refusal(2002, 'not logged in')
            if verb == 'logout' or self.mode == 'end':
                self.log(verb)
                self.respond(1500, trid)
                return False
            if verb == 'poll':
                return self.poll(kids[0], trid)
            if len(kids[0]) != 1:
                raise Refusal(2001, '%s holds one object' % verb)
            obj = kids[0][0]
            kind = next((k for k, u in NS.items() if obj.tag == '{%s}%s' % (u, verb)), None)
            if kind is None:
                raise Refusal(2001, 'unexpected %s' % obj.tag)
            strict(obj, SPECS[(verb, kind)], verb)
            getattr(self, '%s_%s' % (verb, kind) if verb in ('create', 'update', 'info') else verb)(obj, kind, trid)
            return True
        except ET.ParseError as e:
            self.respond(2001, trid, reason='not well-formed: %s' % e)
        except Refusal as r:
            self.respond(r.code, trid, reason=r.reason)
        return True

    def login(self, el, trid):
        strict(el, LOGIN, 'login')
        if self.mode == 'busy':
            self.respond(2502, trid)
            return False
        if text(el, q(EPP, 'clID')) != 'zandolet' or text(el, q(EPP, 'pw')) != 'secret-pw' or self.mode == 'refuselogin':
            raise Refusal(2200, 'wrong client ID or password')
        if text(el, q(EPP, 'options/') + q(EPP, 'version')) not in ('', '1.0'):
            raise Refusal(2001)
        self.logged_in = True
        self.changed('login ' + ' '.join(u.split(':')[-1] for u in (e.text for e in el.iter(q(EPP, 'objURI')))), trid)
        return True

    # objects
    def table(self, kind):
        return self.store.setdefault({'domain': 'domains', 'host': 'hosts', 'contact': 'contacts'}[kind], {})

    def key(self, obj, kind):
        return text(obj, q(kind, 'id')) if kind == 'contact' else text(obj, q(kind, 'name')).lower()

    def existing(self, obj, kind):
        name = self.key(obj, kind)
        if (found := self.table(kind).get(name)) is None:
            raise Refusal(2303, name)
        if found.get('clID', 'zandolet') != 'zandolet':
            raise Refusal(2201, '%s is sponsored by another registrar' % name)
        return name, found

    def check(self, obj, kind, trid):
        field = 'id' if kind == 'contact' else 'name'
        cds = ''
        for el in obj:
            name = (el.text or '').strip()
            taken = (name if kind == 'contact' else name.lower()) in self.table(kind)
            cds += '<%s:cd><%s:%s avail="%d">%s</%s:%s>%s</%s:cd>' % (
                kind, kind, field, 0 if taken else 1, xml_escape(name), kind, field,
                '<%s:reason>In use</%s:reason>' % (kind, kind) if taken else '', kind)
        self.log('check %s %s' % (kind, ' '.join((e.text or '') for e in obj)))
        self.respond(1000, trid, '<%s:chkData xmlns:%s="%s">%s</%s:chkData>' % (kind, kind, NS[kind], cds, kind))

    def info_domain(self, obj, kind, trid):
        name, d = self.existing(obj, kind)
        ns = ''.join('<domain:hostObj>%s</domain:hostObj>' % h for h in d.get('ns', []))
        ns += ''.join('<domain:hostAttr><domain:hostName>%s</domain:hostName>%s</domain:hostAttr>' % (
            h['name'], ''.join('<domain:hostAddr ip="%s">%s</domain:hostAddr>' % ('v6' if ':' in a else 'v4', a) for a in h['addrs']))
            for h in d.get('hostAttr', []))
        body = ('<domain:name>%s</domain:name><domain:roid>D%d-REP</domain:roid><domain:status s="ok"/>%s%s%s'
                '<domain:clID>zandolet</domain:clID><domain:authInfo><domain:pw>%s</domain:pw></domain:authInfo>') % (
            name, abs(hash(name)) % 10000, '<domain:registrant>%s</domain:registrant>' % d['registrant'] if d.get('registrant') else '',
            ''.join('<domain:contact type="%s">%s</domain:contact>' % (t, i) for t, i in d.get('contacts', [])),
            '<domain:ns>%s</domain:ns>' % ns if ns else '', xml_escape(d.get('pw', '')))
        self.log('info domain ' + name)
        self.respond(1000, trid, '<domain:infData xmlns:domain="%s">%s</domain:infData>' % (NS['domain'], body))

    def info_host(self, obj, kind, trid):
        name, h = self.existing(obj, kind)
        addrs = ''.join('<host:addr ip="%s">%s</host:addr>' % ('v6' if ':' in a else 'v4', a) for a in h.get('addrs', []))
        self.log('info host ' + name)
        self.respond(1000, trid, '<host:infData xmlns:host="%s"><host:name>%s</host:name><host:status s="ok"/>%s'
                     '<host:clID>zandolet</host:clID></host:infData>' % (NS['host'], name, addrs))

    def info_contact(self, obj, kind, trid):
        cid, c = self.existing(obj, kind)
        p = c['postal']
        addr = ''.join('<contact:street>%s</contact:street>' % xml_escape(s) for s in p['street'])
        for f in ('city', 'sp', 'pc', 'cc'):
            if p.get(f):
                addr += '<contact:%s>%s</contact:%s>' % (f, xml_escape(p[f]), f)
        body = ('<contact:id>%s</contact:id><contact:postalInfo type="%s"><contact:name>%s</contact:name>%s'
                '<contact:addr>%s</contact:addr></contact:postalInfo>') % (
            cid, p['type'], xml_escape(p['name']), '<contact:org>%s</contact:org>' % xml_escape(p['org']) if p.get('org') else '', addr)
        for f in ('voice', 'fax'):
            if c.get(f):
                body += '<contact:%s>%s</contact:%s>' % (f, c[f], f)
        body += '<contact:email>%s</contact:email><contact:clID>zandolet</contact:clID>' % xml_escape(c['email'])
        body += '<contact:authInfo><contact:pw>%s</contact:pw></contact:authInfo>' % xml_escape(c['pw'])
        if c.get('disclose'):
            body += '<contact:disclose flag="%s"><contact:voice/></contact:disclose>' % c['disclose']
        self.log('info contact ' + cid)
        self.respond(1000, trid, '<contact:infData xmlns:contact="%s">%s</contact:infData>' % (NS['contact'], body))

    def hostattrs(self, ns_el):
        return [{'name': text(a, D('hostName')).lower(), 'addrs': [(x.text or '').strip() for x in a.findall(D('hostAddr'))]}
                for a in ns_el.findall(D('hostAttr'))]

    def create_domain(self, obj, kind, trid):
        name = self.key(obj, kind)
        if name in self.table('domain'):
            raise Refusal(2302, name)
        if 'fail' in name:
            raise Refusal(2400, 'the registry could not create %s' % name)
        period = obj.find(D('period'))
        if period is not None and (period.get('unit') not in ('y', 'm') or not (period.text or '').strip().isdigit()):
            raise Refusal(2005, 'period')
        ns_el = obj.find(D('ns'))
        ns = [(h.text or '').strip().lower() for h in ns_el.findall(D('hostObj'))] if ns_el is not None else []
        for h in ns:
            if h not in self.table('host'):
                raise Refusal(2303, 'host %s' % h)
        contacts = [[c.get('type'), (c.text or '').strip()] for c in obj.findall(D('contact'))]
        registrant = text(obj, D('registrant'))
        for t, i in contacts + [['registrant', registrant]] * bool(registrant):
            if t not in ('admin', 'tech', 'billing', 'registrant'):
                raise Refusal(2005, 'contact type %s' % t)
            if i not in self.table('contact'):
                raise Refusal(2303, 'contact %s' % i)
        self.table('domain')[name] = {'ns': ns, 'hostAttr': self.hostattrs(ns_el) if ns_el is not None else [],
                                      'registrant': registrant, 'contacts': contacts, 'pw': text(obj, D('authInfo/') + D('pw'))}
        attrs = ['%s/%s' % (h['name'], '+'.join(h['addrs'])) for h in self.table('domain')[name]['hostAttr']]
        self.changed('create domain %s ns=%s registrant=%s contacts=%s' % (
            name, ','.join(ns + attrs), registrant, ','.join('%s:%s' % tuple(c) for c in contacts)), trid,
            1001 if name.startswith('pending') else 1000, '<domain:creData xmlns:domain="%s"><domain:name>%s</domain:name><domain:crDate>2026-12-08T12:00:00.0Z'
                     '</domain:crDate></domain:creData>' % (NS['domain'], name))

    def create_host(self, obj, kind, trid):
        name = self.key(obj, kind)
        if name in self.table('host'):
            raise Refusal(2302, name)
        addrs = []
        for a in obj.findall(H('addr')):
            ip = (a.text or '').strip()
            if a.get('ip', 'v4') not in ('v4', 'v6') or (a.get('ip', 'v4') == 'v6') != (':' in ip):
                raise Refusal(2005, 'address %s' % ip)
            addrs.append(ip)
        if not addrs and any(name.endswith('.' + d) for d in self.table('domain')):
            raise Refusal(2306, '%s needs glue' % name)
        self.table('host')[name] = {'addrs': addrs}
        self.changed('create host %s %s' % (name, ' '.join(addrs)), trid)

    def contact_data(self, el, into):
        for p in el.findall(C('postalInfo')):
            t = p.get('type')
            if t not in ('int', 'loc'):
                raise Refusal(2005, 'postalInfo type')
            values = [e.text or '' for e in p.iter() if len(e) == 0]
            if t == 'int' and any(ord(ch) > 0x7e for v in values for ch in v):
                raise Refusal(2005, 'postalInfo int holds accented letters')
            cc = text(p, C('addr/') + C('cc'))
            if not re.match(r'^[A-Z]{2}$', cc):
                raise Refusal(2005, 'cc %s' % cc)
            into['postal'] = {'type': t, 'name': text(p, C('name')), 'org': text(p, C('org')),
                              'street': [(s.text or '') for s in p.findall(C('addr/') + C('street'))],
                              'city': text(p, C('addr/') + C('city')), 'sp': text(p, C('addr/') + C('sp')),
                              'pc': text(p, C('addr/') + C('pc')), 'cc': cc}
        for f in ('voice', 'fax', 'email'):
            if el.find(C(f)) is not None:
                v = text(el, C(f))
                if f != 'email' and v and not VOICE.match(v):
                    raise Refusal(2005, '%s %s' % (f, v))
                into[f] = v
        if el.find(C('authInfo')) is not None:
            into['pw'] = text(el, C('authInfo/') + C('pw'))
        d = el.find(C('disclose'))
        if d is not None:
            if d.get('flag') not in ('0', '1'):
                raise Refusal(2005, 'disclose flag')
            into['disclose'] = d.get('flag')

    def create_contact(self, obj, kind, trid):
        cid = self.key(obj, kind)
        if not ID.match(cid):
            raise Refusal(2005, 'id %s' % cid)
        if cid in self.table('contact'):
            raise Refusal(2302, cid)
        c = {}
        self.contact_data(obj, c)
        self.table('contact')[cid] = c
        self.changed('create contact %s %s %s' % (cid, c['postal']['type'], c['postal']['name']), trid)

    def update_domain(self, obj, kind, trid):
        name, d = self.existing(obj, kind)
        details = []
        for part, sign in (('rem', '-'), ('add', '+')):
            el = obj.find(D(part))
            if el is None:
                continue
            ns_el = el.find(D('ns'))
            for h in ns_el.findall(D('hostObj')) if ns_el is not None else []:
                h = (h.text or '').strip().lower()
                if sign == '+':
                    if h not in self.table('host'):
                        raise Refusal(2303, 'host %s' % h)
                    if h in d['ns']:
                        raise Refusal(2306, '%s is already a name server' % h)
                    d['ns'].append(h)
                else:
                    if h not in d['ns']:
                        raise Refusal(2306, '%s is no name server' % h)
                    d['ns'].remove(h)
                details.append(sign + h)
            for c in el.findall(D('contact')):
                ref = [c.get('type'), (c.text or '').strip()]
                if sign == '+':
                    if ref[1] not in self.table('contact'):
                        raise Refusal(2303, 'contact %s' % ref[1])
                    d['contacts'].append(ref)
                elif ref in d['contacts']:
                    d['contacts'].remove(ref)
                else:
                    raise Refusal(2306, 'no %s contact %s' % tuple(ref))
                details.append('%s%s:%s' % (sign, ref[0], ref[1]))
        chg = obj.find(D('chg'))
        if chg is not None:
            if chg.find(D('registrant')) is not None:
                d['registrant'] = text(chg, D('registrant'))
                details.append('registrant=' + d['registrant'])
            if chg.find(D('authInfo')) is not None:
                d['pw'] = text(chg, D('authInfo/') + D('pw'))
                details.append('pw')
        if not details:
            raise Refusal(2003, 'an update that changes nothing')
        self.changed('update domain %s %s' % (name, ' '.join(details)), trid)

    def update_host(self, obj, kind, trid):
        name, h = self.existing(obj, kind)
        details = []
        for part, sign in (('rem', '-'), ('add', '+')):
            el = obj.find(H(part))
            for a in el.findall(H('addr')) if el is not None else []:
                ip = (a.text or '').strip()
                if (ip in h['addrs']) == (sign == '+'):
                    raise Refusal(2306, '%s %s' % ('already' if sign == '+' else 'no', ip))
                (h['addrs'].append if sign == '+' else h['addrs'].remove)(ip)
                details.append(sign + ip)
        self.changed('update host %s %s' % (name, ' '.join(details)), trid)

    def update_contact(self, obj, kind, trid):
        cid, c = self.existing(obj, kind)
        chg = obj.find(C('chg'))
        if chg is None or len(chg) == 0:
            raise Refusal(2003, 'an update that changes nothing')
        self.contact_data(chg, c)
        self.changed('update contact %s %s' % (cid, ' '.join(e.tag.split('}')[1] for e in chg)), trid)

    def delete(self, obj, kind, trid):
        name, _ = self.existing(obj, kind)
        domains = self.table('domain').values()
        if kind == 'host' and any(name in d['ns'] for d in domains):
            raise Refusal(2305, '%s is a name server of a domain' % name)
        if kind == 'contact' and any(name == d['registrant'] or name in (i for _, i in d['contacts']) for d in domains):
            raise Refusal(2305, '%s is a contact of a domain' % name)
        if kind == 'domain':
            for h in [h for h in self.table('host') if h.endswith('.' + name)]:
                del self.table('host')[h]
        del self.table(kind)[name]
        self.changed('delete %s %s' % (kind, name), trid)

    def poll(self, el, trid):
        queue = self.store.setdefault('messages', [])
        if el.get('op') == 'ack':
            queue[:] = [m for m in queue if m['id'] != el.get('msgID')]
            self.save()
            self.log('poll ack ' + el.get('msgID', ''))
            return self.respond(1000, trid, msgq='<msgQ count="%d" id="%s"/>' % (len(queue), el.get('msgID'))) or True
        self.log('poll req')
        if not queue:
            return self.respond(1300, trid) or True
        m = queue[0]
        self.respond(1301, trid, msgq='<msgQ count="%d" id="%s"><qDate>%s</qDate><msg>%s</msg></msgQ>' % (
            len(queue), m['id'], m['date'], xml_escape(m['text'])))
        return True


def main():
    f = lambda name: os.path.join(sys.argv[1], name)
    store, log, mode = f('store.json'), f('log'), sys.argv[2] if len(sys.argv) > 2 else ''
    ec = ['-newkey', 'ec', '-pkeyopt', 'ec_paramgen_curve:prime256v1', '-nodes', '-days', '2']
    for args in (['-subj', '/CN=Zandolet Test Authority', '-keyout', f('ca.key'), '-out', f('ca.pem')],
                 ['-CA', f('ca.pem'), '-CAkey', f('ca.key'), '-subj', '/CN=127.0.0.1', '-addext', 'subjectAltName=IP:127.0.0.1',
                  '-addext', 'basicConstraints=CA:FALSE', '-keyout', f('server.key'), '-out', f('server.pem')]):
        subprocess.run(['openssl', 'req', '-x509'] + ec + args, check=True, capture_output=True)
    if not os.path.exists(store):
        with open(store, 'w') as out:
            out.write('{}')
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(f('server.pem'), f('server.key'))
    listener = socket.socket()
    listener.bind(('127.0.0.1', 0))
    listener.listen(8)
    print('PORT %d' % listener.getsockname()[1], flush=True)
    lock = threading.Lock()

    def serve(raw):
        try:
            with context.wrap_socket(raw, server_side=True) as conn, lock:
                Session(conn, store, log, mode).run()
        except (OSError, ssl.SSLError):
            pass

    while True:
        raw, _ = listener.accept()
        threading.Thread(target=serve, args=(raw,), daemon=True).start()


if __name__ == '__main__':
    main()
