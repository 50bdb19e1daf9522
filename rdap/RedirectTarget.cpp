#include "RedirectTarget.h"

#include "HttpsFetch.h"

#include <curl/curl.h>

#include <memory>

RedirectTarget RedirectTarget::read(QByteArrayView address)
{
    RedirectTarget target;
    const QByteArray text = address.toByteArray();
    target.shown = HttpsFetch::shownPhrase(text);
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
    switch (curl_url_set(url.get(), CURLUPART_URL, text.constData(), CURLU_NON_SUPPORT_SCHEME)) {
    case CURLUE_OK:
        break;
    case CURLUE_BAD_PORT_NUMBER:
        target.kind = Kind::PortOutOfRange;
        return target;
    case CURLUE_NO_HOST:
        target.kind = Kind::NoHost;
        return target;
    default:
        return target;
    }
    const auto part = [&](CURLUPart which) {
        char *value = nullptr;
        QByteArray got;
        if (curl_url_get(url.get(), which, &value, 0) == CURLUE_OK && value)
            got = value;
        curl_free(value);
        return got;
    };
    const QByteArray scheme = part(CURLUPART_SCHEME).toLower();
    if (scheme != "https") {
        target.kind = scheme == "http" ? Kind::PlainHttp : Kind::OtherScheme;
        return target;
    }
    if (part(CURLUPART_HOST).isEmpty()) {
        target.kind = Kind::NoHost;
        return target;
    }
    for (const CURLUPart login : {CURLUPART_USER, CURLUPART_PASSWORD, CURLUPART_OPTIONS})
        curl_url_set(url.get(), login, nullptr, 0);
    target.url = QUrl::fromEncoded(part(CURLUPART_URL), QUrl::StrictMode);
    target.kind = target.url.isValid() && !target.url.host().isEmpty() ? Kind::Https : Kind::NotAnAddress;
    return target;
}
