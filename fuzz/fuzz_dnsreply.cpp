// A DNS reply as the network check reads it, for each question it asks about
// example.com. Only a reply to that very question counts as an answer, and
// what is taken from it is what the question asked for.
#include "DnsMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray wire(reinterpret_cast<const char *>(data), qsizetype(size));
    const quint16 id = size >= 2 ? quint16(data[0] << 8 | data[1]) : 0;
    const QString name = QStringLiteral("example.com");
    for (const DnsType type : {DnsType::A, DnsType::Aaaa, DnsType::Ns, DnsType::Soa, DnsType::Mx}) {
        const DnsReply reply = readDnsReply(wire, name, type, id);
        const bool answer = reply.form == DnsReply::Form::Answer;
        if (!answer && (reply.authoritative || !reply.addresses.isEmpty() || !reply.names.isEmpty() || reply.serial))
            __builtin_trap();
        if (reply.serial && type != DnsType::Soa)
            __builtin_trap();
        if (!reply.names.isEmpty() && type != DnsType::Ns && type != DnsType::Mx)
            __builtin_trap();
        for (const QString &n : reply.names)
            if (n.isEmpty() || n.endsWith(QLatin1Char('.')) || n != n.toLower())
                __builtin_trap();
        for (const QHostAddress &a : reply.addresses)
            if (a.isNull())
                __builtin_trap();
    }
    return 0;
}
