#pragma once
// A window's place, size and maximised state as a small file of its own:
//   [Window]  Left=  Top=  Width=  Height=  Maximized=0|1
#include <QByteArray>
#include <QRect>
#include <optional>

class WindowGeometry {
public:
    QRect normal;   // place and size when not maximised
    bool maximized = false;

    // Nothing for a file that lacks a value or holds one no screen could.
    static std::optional<WindowGeometry> parse(const QByteArray &bytes);
    QByteArray toBytes() const;

    // Nothing when the file is missing, refused or not sane.
    static std::optional<WindowGeometry> load(const QString &path);
    // Atomic replace; throws EIniFileError when the file cannot be written.
    void save(const QString &path) const;

    bool operator==(const WindowGeometry &) const = default;
};
