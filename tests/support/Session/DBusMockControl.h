#pragma once
// Kept for tests that include the helper from its former place.
#include "support/DBusMock/DBusMockControl.h"
