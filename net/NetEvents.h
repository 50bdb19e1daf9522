#pragma once
// Event handler types of the TCP line client. The first argument is the
// sending component; an empty handler is simply not called.
#include "TNotifyEvent.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QObject;

using TErrorEvent = std::function<void(QObject *sender, int errorCode, const QString &description)>;
using TConnectEvent = std::function<void(QObject *sender, int statusCode, const QString &description)>;
// text: the received bytes (ISO-8859-1) without the delimiter; eol: a complete line.
using TDataInEvent = std::function<void(QObject *sender, const QByteArray &text, bool eol)>;
