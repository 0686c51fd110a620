#pragma once

// The silent server moved to the test server's header; this name stays for
// the tests that still include it.
#include "tests/support/SambaServer.h"
