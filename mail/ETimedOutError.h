#pragma once
// A wait of the mail components ran out of time: "Operation timed out".
#include "ESocketError.h"

class ETimedOutError : public ESocketError {
public:
    using ESocketError::ESocketError;
};
