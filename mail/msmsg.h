#pragma once
// The message unit: the message, its lists and items, and its error.
#include "TmsAddressList.h"
#include "TmsAttItem.h"
#include "TmsAttList.h"
#include "TmsHeaders.h"
#include "TmsMailAddress.h"
#include "TmsMessage.h"
#include "msdef.h"
