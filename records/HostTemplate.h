#pragma once
// Rows of the "Host Version Number: 1.0" template.
#include "TemplateRow.h"

#include <vector>

const std::vector<TemplateRow> &hostTemplate();
