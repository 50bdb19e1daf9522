// Field text <-> stored INI value: any text comes back from its stored form,
// and a text with line breaks comes back through a real INI file whole up to
// the reader's limit, however much longer its escaped form is.
#include "IniFile.h"
#include "StoredValue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString stored = StoredValue::encode(text);
    if (StoredValue::decode(stored) != text || stored.contains(QLatin1Char('\n')) || stored.contains(QLatin1Char('\r')))
        __builtin_trap();
    (void)StoredValue::decode(text); // any value on disk, however odd
    if (stored.startsWith(StoredValue::marker())) {
        IniDocument doc;
        doc.setValue(QStringLiteral("DomainReg"), QStringLiteral("PurposeEdit"), stored);
        const IniDocument back = IniDocument::parse(doc.toBytes());
        if (StoredValue::read(back, QStringLiteral("DomainReg"), QStringLiteral("PurposeEdit")) !=
            text.left(IniDocument::MaxValueLength))
            __builtin_trap();
    }
    return 0;
}
