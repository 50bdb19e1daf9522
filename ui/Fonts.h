#pragma once
// The Windows font names the pages and printouts ask for, mapped to
// metric-compatible fonts that Debian ships (fonts-liberation).
void installFontSubstitutions();
