#include "TGradientForm.h"
