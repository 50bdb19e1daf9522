#include "WindowGeometry.h"

#include "Exception.h"
#include "IniFile.h"

namespace {

const QString kSection = QStringLiteral("Window");
constexpr int kLimit = 32767; // what X11 can place and size

IniDocument document(const WindowGeometry &g)
{
    IniDocument doc;
    doc.setValue(kSection, QStringLiteral("Left"), QString::number(g.normal.x()));
    doc.setValue(kSection, QStringLiteral("Top"), QString::number(g.normal.y()));
    doc.setValue(kSection, QStringLiteral("Width"), QString::number(g.normal.width()));
    doc.setValue(kSection, QStringLiteral("Height"), QString::number(g.normal.height()));
    doc.setValue(kSection, QStringLiteral("Maximized"), g.maximized ? QStringLiteral("1") : QStringLiteral("0"));
    return doc;
}

std::optional<WindowGeometry> fromDocument(const IniDocument &doc)
{
    int v[4];
    const char *keys[] = {"Left", "Top", "Width", "Height"};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = doc.value(kSection, QLatin1String(keys[i])).toInt(&ok);
        if (!ok || v[i] < (i < 2 ? -kLimit : 1) || v[i] > kLimit)
            return std::nullopt;
    }
    const QString maximized = doc.value(kSection, QStringLiteral("Maximized"));
    if (maximized != QLatin1String("0") && maximized != QLatin1String("1"))
        return std::nullopt;
    return WindowGeometry{QRect(v[0], v[1], v[2], v[3]), maximized == QLatin1String("1")};
}

} // namespace

std::optional<WindowGeometry> WindowGeometry::parse(const QByteArray &bytes)
{
    return fromDocument(IniDocument::parse(bytes));
}

QByteArray WindowGeometry::toBytes() const
{
    return document(*this).toBytes();
}

std::optional<WindowGeometry> WindowGeometry::load(const QString &path)
{
    try {
        return fromDocument(IniDocument::load(path));
    } catch (const Exception &) {
        return std::nullopt; // a pipe, a device or a huge file: start as on the first day
    }
}

void WindowGeometry::save(const QString &path) const
{
    document(*this).save(path);
}
