#pragma once
// Error texts of the mail components, keyed by number: the components' own
// messages (57xxx) and the socket library's (10xxx, 11xxx).
#include <QString>

namespace MailError {

enum Code : int {
    TimedOut = 57000,
    Canceled = 57001,
    ServerRequired = 57002,
    WinsockVersion = 57003,
    ResolveHost = 57004,
    ServiceRequired = 57005,
    SenderRequired = 57100,
    RecipientRequired = 57101,
    MessageRequired = 57102,
    MultipartPreamble = 57106,
};

// The text for the code; "Error #" and the code when the table has none.
QString Text(int code);

} // namespace MailError
