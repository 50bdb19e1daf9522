#!/usr/bin/perl
# Builds the command that a JSON spec (standard input, one line) names with
# Debian's Net::EPP::Frame, then prints it and the frame given as the first
# argument's file in one canonical form each: a line per element, its
# namespace URI, local name, sorted attributes and text; clTRID, schema
# locations, whitespace and empty elements left out.
use strict; use warnings;
use JSON::PP; use Net::EPP::Frame; use XML::LibXML;

my $spec = decode_json(scalar <STDIN>);
my ($cmd, $obj) = ($spec->{cmd}, $spec->{obj} // '');
my %class = (check => 'Check', info => 'Info', delete => 'Delete', create => 'Create', update => 'Update');
my $f;
if ($cmd eq 'login') {
    $f = Net::EPP::Frame::Command::Login->new;
    $f->clID->appendText($spec->{clID});
    $f->pw->appendText($spec->{pw});
    $f->version->appendText('1.0');
    $f->lang->appendText('en');
    for my $uri (@{$spec->{objURI}}) {
        my $el = $f->createElement('objURI');
        $el->appendText($uri);
        $f->svcs->appendChild($el);
    }
} elsif ($cmd eq 'logout') {
    $f = Net::EPP::Frame::Command::Logout->new;
} elsif ($cmd eq 'poll') {
    $f = $spec->{ack} ? Net::EPP::Frame::Command::Poll::Ack->new : Net::EPP::Frame::Command::Poll::Req->new;
    $f->setMsgID($spec->{ack}) if $spec->{ack};
} else {
    $f = "Net::EPP::Frame::Command::$class{$cmd}::\u$obj"->new;
    my %set = (domain => 'setDomain', host => 'setHost', contact => 'setContact');
    my $set = $set{$obj};
    if ($cmd eq 'check') {
        my $add = 'add' . ucfirst($obj);
        $f->$add($_) for @{$spec->{names}};
    } else {
        $f->$set($spec->{name});
    }
    if ($cmd eq 'create' && $obj eq 'domain') {
        $f->setPeriod(1, 'y');
        $f->setNS(@{$spec->{ns}}) if @{$spec->{ns}};
        $f->setRegistrant($spec->{registrant});
        $f->setContacts({$_->[0] => $_->[1]}) for @{$spec->{contacts}};
        $f->setAuthInfo($spec->{pw});
    } elsif ($cmd eq 'create' && $obj eq 'host') {
        $f->setAddr(@{$spec->{addrs}});
    } elsif ($cmd eq 'create' && $obj eq 'contact') {
        $f->addPostalInfo(@{$spec->{postal}});
        $f->setVoice($spec->{voice});
        $f->setEmail($spec->{email});
        $f->setAuthInfo($spec->{pw});
    } elsif ($cmd eq 'update' && $obj eq 'domain') {
        $f->addHostObjNS(@{$spec->{addNs}}) if @{$spec->{addNs}};
        $f->addContact(@$_) for @{$spec->{addContacts}};
        $f->remHostObjNS(@{$spec->{remNs}}) if @{$spec->{remNs}};
        $f->remContact(@$_) for @{$spec->{remContacts}};
        $f->chgRegistrant($spec->{registrant}) if $spec->{registrant};
        $f->chgAuthInfo($spec->{pw}) if $spec->{pw};
    } elsif ($cmd eq 'update' && $obj eq 'host') {
        $f->addAddr(@{$spec->{add}}) if @{$spec->{add}};
        $f->remAddr(@{$spec->{rem}}) if @{$spec->{rem}};
    } elsif ($cmd eq 'update' && $obj eq 'contact') {
        $f->chgPostalInfo(@{$spec->{postal}});
        $f->chgAuthInfo($spec->{pw});
    }
}

sub canonical {
    my ($el, $depth) = @_;
    my @kids = grep { $_->nodeType == XML_ELEMENT_NODE } $el->childNodes;
    my $text = join '', map { $_->data } grep { $_->nodeType == XML_TEXT_NODE } $el->childNodes;
    $text =~ s/^\s+|\s+$//g;
    my @attrs = sort map { $_->nodeName . '=' . $_->value }
        grep { $_->nodeType == XML_ATTRIBUTE_NODE && $_->localname ne 'schemaLocation' } $el->attributes;
    return '' if $el->localname eq 'clTRID' || (!@kids && $text eq '' && !@attrs && $depth > 3);
    my $inner = join '', map { canonical($_, $depth + 1) } @kids;
    return '' if @kids && $inner eq '' && !@attrs;
    return ('  ' x $depth) . '{' . ($el->namespaceURI // '') . '}' . $el->localname . join('', map {" $_"} @attrs)
        . ($text ne '' ? ": $text" : '') . "\n" . $inner;
}

# Parsed again, so that the prefixes it wrote resolve to their namespaces.
my $theirs = XML::LibXML->load_xml(string => $f->toString);
my $ours = XML::LibXML->load_xml(location => $ARGV[0]);
binmode STDOUT, ':encoding(UTF-8)';
print canonical($theirs->documentElement, 0), "---\n", canonical($ours->documentElement, 0);
