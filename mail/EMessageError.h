#pragma once
// A message failed its checks before sending (no sender, no recipient).
#include "Exception.h"

class EMessageError : public Exception {
public:
    using Exception::Exception;
};
