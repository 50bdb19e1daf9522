#pragma once
// One attachment: its content in memory, file name, MIME type and transfer encoding.
#include "msdef.h"

#include <QByteArray>
#include <QString>

class TmsAttItem {
public:
    TmsAttItem() = default;

    QByteArray &Stream() { return m_stream; }
    const QByteArray &Stream() const { return m_stream; }
    void SetStream(const QByteArray &content) { m_stream = content; }
    // Replaces the content with the bytes of FileName(); throws EInOutError.
    void LoadFromFile();

    QString FileName() const { return m_fileName; }
    // Stores the name; a non-empty name also chooses content type and encoding.
    void SetFileName(const QString &name);
    QString ContentType() const { return m_contentType; }
    void SetContentType(const QString &type);
    TAttEncoding Encoding() const { return m_encoding; }
    void SetEncoding(TAttEncoding encoding) { m_encoding = encoding; }

    // Copies content, file name, content type and encoding.
    void Assign(const TmsAttItem &other);

    // The encoding a content type calls for.
    static TAttEncoding EncodingFor(const QString &contentType);

private:
    QByteArray m_stream;
    QString m_fileName;
    QString m_contentType;
    TAttEncoding m_encoding = aeSevenBit;
};
