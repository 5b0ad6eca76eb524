#pragma once
// The compiled band condition lives with the rule lists (model); the
// statistics use it under their own name.

#include "model/compiled_condition.h"

namespace tessaly::stats {

using model::CompiledCondition;

}  // namespace tessaly::stats
