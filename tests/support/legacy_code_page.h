#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

namespace kelvara::testing {

// Text in the legacy code page that the reader falls back to: GB18030 on Linux; on Windows
// the ANSI code page, which is GBK (936) on Chinese Windows.
inline QByteArray legacyBytes(const QString& text) {
#ifdef Q_OS_WIN
    QStringEncoder encoder(QStringConverter::System);
#else
    QStringEncoder encoder("GB18030");
#endif
    return encoder.encode(text);
}

// True where the legacy code page reads GBK, as every Chinese Windows and Linux does.
inline bool legacyIsGbk() {
    return legacyBytes(QStringLiteral("张三")) == QByteArray("\xD5\xC5\xC8\xFD");
}

} // namespace kelvara::testing
