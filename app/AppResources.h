#pragma once
// Registers the help pages and pictures, which live in a static library and
// so are not registered by the linker on their own.
void initAppResources();
