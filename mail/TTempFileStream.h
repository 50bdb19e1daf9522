#pragma once
// A read/write file "ms…" in the temporary directory, created exclusively
// with mode 0600 and deleted when the stream is destroyed.
#include <QFile>

class TTempFileStream : public QFile {
    Q_OBJECT
public:
    // Creates and opens the file; throws EInOutError when that fails.
    TTempFileStream();
    ~TTempFileStream() override;

    QString TempFileName() const { return m_tempFileName; }

private:
    QString m_tempFileName;
};
