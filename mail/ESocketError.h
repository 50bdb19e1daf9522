#pragma once
// A socket or protocol failure of the mail components; the text is what the
// OnError handler left it.
#include "Exception.h"

class ESocketError : public Exception {
public:
    using Exception::Exception;
};
