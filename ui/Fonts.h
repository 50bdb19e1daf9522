#pragma once
// The original's Windows font names, mapped to metric-compatible fonts that
// Debian ships (fonts-liberation).
void installFontSubstitutions();
