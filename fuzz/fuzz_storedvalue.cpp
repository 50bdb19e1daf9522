// Field text <-> stored INI value: any text comes back from its stored form,
// and a text with line breaks comes back through a real INI file whole up to
// the reader's limit, however much longer its escaped form is. Any decoded
// value, cleaned for a field, holds no control character, a one-line one no
// line break either, and cleaning it again changes nothing.
#include "FieldText.h"
#include "IniFile.h"
#include "StoredValue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString stored = StoredValue::encode(text);
    if (StoredValue::decode(stored) != text || stored.contains(QLatin1Char('\n')) || stored.contains(QLatin1Char('\r')))
        __builtin_trap();
    const QString decoded = StoredValue::decode(text); // any value on disk, however odd
    for (const FieldText::Shape shape : {FieldText::Shape::OneLine, FieldText::Shape::Memo}) {
        const FieldText::Cleaned c = FieldText::clean(decoded, shape);
        for (const QChar ch : c.text)
            if (FieldText::refused(ch, shape) || (shape == FieldText::Shape::OneLine && (ch == u'\r' || ch == u'\n')))
                __builtin_trap();
        // A one-line value is changed exactly when the note says so.
        if (shape == FieldText::Shape::OneLine && c.changed() != (c.text != decoded))
            __builtin_trap();
        const FieldText::Cleaned again = FieldText::clean(c.text, shape);
        if (again.text != c.text || again.changed())
            __builtin_trap();
    }
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
