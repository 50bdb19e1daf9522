#pragma once
// Rows of the "Domain Version Number: 3.5" template.
#include "TemplateRow.h"

#include <vector>

const std::vector<TemplateRow> &domainTemplate();
