#pragma once
// A wait of the mail components ended by Cancel: "Operation has been canceled".
#include "ESocketError.h"

class ECanceledError : public ESocketError {
public:
    using ESocketError::ESocketError;
};
